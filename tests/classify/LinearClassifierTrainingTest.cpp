// The plain training functions: records, handle numbering and reuse, buffer handling,
// unregistered handles and use from several threads.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TestSupport.h"
#include "vecmat/classify/LinearClassifierTraining.h"

namespace {

using testing_support::Gbk;

// Samples 0 and 1 of tag 1, 3 and 4 of tag 2: w = [-3], t = -6.
const std::vector<double> kExample = {0, 1, 1, 1, 3, 2, 4, 2};

// Closes the handles a test opened, so every test starts with an empty registry.
class Handles {
public:
    ~Handles() {
        for (unsigned int handle : opened) CloseHandle(handle);
    }
    unsigned int Train(const std::vector<double>& data, size_t columns, size_t rows) {
        return Train(data.data(), columns, rows);
    }
    unsigned int Train(const double* data, size_t columns, size_t rows) {
        const unsigned int handle = LinearClassifierTraining(data, columns, rows);
        opened.push_back(handle);
        return handle;
    }

private:
    std::vector<unsigned int> opened;
};

std::string ErrorString(unsigned int handle) {
    const int length = GetErrorString(handle, nullptr, 0);
    if (length < 0) return "<unregistered>";
    std::vector<char> buffer(static_cast<size_t>(length) + 1, 'x');
    EXPECT_EQ(GetErrorString(handle, buffer.data(), length + 1), length);
    return std::string(buffer.data());
}

void ExpectUnregistered(unsigned int handle) {
    EXPECT_FALSE(IsSuccessed(handle));
    EXPECT_EQ(GetErrorCode(handle), -1);
    char text[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(GetErrorString(handle, text, 4), -1);
    EXPECT_EQ(std::string(text, 4), "abcd");
    EXPECT_EQ(LCGetFeatureDataCount(handle), 0);
    double values[2] = {7.0, 7.0};
    EXPECT_EQ(LCGetFeatureData(handle, values, 2), 0);
    EXPECT_EQ(values[0], 7.0);
    EXPECT_EQ(LCGetThreshold(handle), 0.0);
    EXPECT_EQ(LCGetTagP(handle), 0);
    EXPECT_EQ(LCGetTagN(handle), 0);
}

TEST(LinearClassifierTraining, SuccessfulTrainingRecord) {
    Handles handles;
    const unsigned int handle = handles.Train(kExample, 2, 4);
    EXPECT_TRUE(IsSuccessed(handle));
    EXPECT_EQ(GetErrorCode(handle), 0);
    char text[3] = {'a', 'b', 'c'};
    EXPECT_EQ(GetErrorString(handle, text, 3), 0);
    EXPECT_EQ(text[0], '\0');  // just the terminator
    EXPECT_EQ(text[1], 'b');
    EXPECT_EQ(LCGetFeatureDataCount(handle), 1);
    double weights[1] = {0.0};
    EXPECT_EQ(LCGetFeatureData(handle, weights, 1), 1);
    EXPECT_EQ(weights[0], -3.0);
    EXPECT_EQ(LCGetThreshold(handle), -6.0);
    EXPECT_EQ(LCGetTagP(handle), 1);
    EXPECT_EQ(LCGetTagN(handle), 2);
}

TEST(LinearClassifierTraining, ColumnCountComesBeforeRowCount) {
    Handles handles;
    // Read as 2 rows of 4 values, the same numbers give one sample per tag: no inverse.
    const unsigned int handle = handles.Train(kExample, 4, 2);
    EXPECT_FALSE(IsSuccessed(handle));
    EXPECT_EQ(ErrorString(handle), Gbk("矩阵不可逆"));
}

TEST(LinearClassifierTraining, FailedTrainingRecord) {
    Handles handles;
    const unsigned int handle = handles.Train({0, 1, 1, 2, 2, 3}, 2, 3);
    EXPECT_FALSE(IsSuccessed(handle));
    EXPECT_EQ(GetErrorCode(handle), 0);
    EXPECT_EQ(LCGetFeatureDataCount(handle), 0);
    EXPECT_EQ(LCGetTagP(handle), -1);
    EXPECT_EQ(LCGetTagN(handle), -1);
    EXPECT_EQ(LCGetThreshold(handle), 0.0);
    const std::string expected = Gbk("类别标识不是2种，不能进行线性二分类");
    EXPECT_EQ(GetErrorString(handle, nullptr, 0), static_cast<int>(expected.size()));
    EXPECT_EQ(ErrorString(handle), expected);
    double untouched[1] = {5.0};
    EXPECT_EQ(LCGetFeatureData(handle, untouched, 1), 0);
    EXPECT_EQ(untouched[0], 5.0);
}

TEST(LinearClassifierTraining, ZeroCountsFailInTheMatrix) {
    Handles handles;
    const unsigned int noRows = handles.Train(kExample, 2, 0);
    const unsigned int noColumns = handles.Train(kExample, 0, 4);
    EXPECT_FALSE(IsSuccessed(noRows));
    EXPECT_EQ(ErrorString(noRows), Gbk("矩阵的行或列不能为0"));
    EXPECT_EQ(ErrorString(noColumns), Gbk("矩阵的行或列不能为0"));
    // Tags only: the classes have no features.
    const unsigned int tagsOnly = handles.Train({1, 2}, 1, 2);
    EXPECT_EQ(ErrorString(tagsOnly), Gbk("矩阵的行或列不能为0"));
}

TEST(LinearClassifierTraining, NullArrayAndOverflowingCountsFailWithoutReading) {
    Handles handles;
    const size_t most = std::numeric_limits<size_t>::max();
    // Checks in order: a zero count, then the null array, then the size of the array.
    EXPECT_EQ(ErrorString(handles.Train(nullptr, 0, 4)), Gbk("矩阵的行或列不能为0"));
    EXPECT_EQ(ErrorString(handles.Train(nullptr, 2, 4)), Gbk("数据数组为空指针"));
    EXPECT_EQ(ErrorString(handles.Train(nullptr, most, 2)), Gbk("数据数组为空指针"));
    // The element count wraps; the count fits but its bytes do not.
    EXPECT_EQ(ErrorString(handles.Train(kExample.data(), most / 2 + 1, 2)),
              Gbk("数据的行数与列数之积超出范围"));
    EXPECT_EQ(ErrorString(handles.Train(kExample.data(), most / 8 + 1, 1)),
              Gbk("数据的行数与列数之积超出范围"));
    const unsigned int failed = handles.Train(nullptr, 2, 4);
    EXPECT_FALSE(IsSuccessed(failed));
    EXPECT_EQ(LCGetFeatureDataCount(failed), 0);
    EXPECT_EQ(LCGetTagP(failed), -1);
}

TEST(LinearClassifierTraining, HandlesStartAtTenAndReuseTheSmallestFree) {
    Handles handles;
    EXPECT_EQ(handles.Train(kExample, 2, 4), 10u);
    EXPECT_EQ(handles.Train(kExample, 2, 0), 11u);  // failed trainings get handles too
    EXPECT_EQ(handles.Train(kExample, 2, 4), 12u);
    EXPECT_EQ(handles.Train(kExample, 2, 4), 13u);
    CloseHandle(12);
    CloseHandle(10);
    EXPECT_EQ(handles.Train(kExample, 2, 4), 10u);
    EXPECT_EQ(handles.Train(kExample, 2, 4), 12u);
    EXPECT_EQ(handles.Train(kExample, 2, 4), 14u);
    EXPECT_FALSE(IsSuccessed(11));
    EXPECT_TRUE(IsSuccessed(12));
}

TEST(LinearClassifierTraining, UnregisteredAndClosedHandles) {
    ExpectUnregistered(5);
    CloseHandle(5);  // nothing happens
    ExpectUnregistered(5);
    ExpectUnregistered(0);
    ExpectUnregistered(~0u);

    Handles handles;
    const unsigned int handle = handles.Train(kExample, 2, 4);
    const unsigned int failed = handles.Train(kExample, 2, 0);
    CloseHandle(handle);
    CloseHandle(failed);
    ExpectUnregistered(handle);
    ExpectUnregistered(failed);
    CloseHandle(handle);  // a second close does nothing
}

TEST(LinearClassifierTraining, FeatureDataCapacity) {
    Handles handles;
    // Two features: tag 0 around the origin, tag 1 around (5, 5).
    const unsigned int handle = handles.Train(
        {0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 1, 6, 5, 1, 5, 6, 1}, 3, 6);
    ASSERT_TRUE(IsSuccessed(handle));
    ASSERT_EQ(LCGetFeatureDataCount(handle), 2);

    double buffer[3] = {9.0, 9.0, 9.0};
    EXPECT_EQ(LCGetFeatureData(handle, buffer, 1), -2);
    EXPECT_EQ(LCGetFeatureData(handle, buffer, -1), -2);
    EXPECT_EQ(LCGetFeatureData(handle, nullptr, 2), -2);
    EXPECT_EQ(buffer[0], 9.0);
    EXPECT_EQ(buffer[1], 9.0);

    EXPECT_EQ(LCGetFeatureData(handle, buffer, 2), 2);
    EXPECT_NE(buffer[0], 9.0);
    EXPECT_EQ(buffer[2], 9.0);
    double larger[3] = {9.0, 9.0, 9.0};
    EXPECT_EQ(LCGetFeatureData(handle, larger, 3), 2);
    EXPECT_EQ(larger[0], buffer[0]);
    EXPECT_EQ(larger[1], buffer[1]);
    EXPECT_EQ(larger[2], 9.0);

    // Nothing to copy: any capacity that is not negative works, even without a buffer.
    const unsigned int failed = handles.Train(kExample, 2, 0);
    EXPECT_EQ(LCGetFeatureData(failed, nullptr, 0), 0);
    EXPECT_EQ(LCGetFeatureData(failed, nullptr, -1), -2);
}

TEST(LinearClassifierTraining, ErrorStringNeverWritesPastTheBuffer) {
    Handles handles;
    const unsigned int handle = handles.Train(kExample, 2, 0);
    const std::string message = Gbk("矩阵的行或列不能为0");
    const int length = static_cast<int>(message.size());

    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetErrorString(handle, buffer, 5), length);
    EXPECT_EQ(std::string(buffer, 4), message.substr(0, 4));
    EXPECT_EQ(buffer[4], '\0');
    EXPECT_EQ(buffer[5], '#');

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetErrorString(handle, buffer, 1), length);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetErrorString(handle, buffer, 0), length);
    EXPECT_EQ(GetErrorString(handle, buffer, -3), length);
    EXPECT_EQ(buffer[0], '#');
    // No buffer: only the length, whatever size is claimed.
    EXPECT_EQ(GetErrorString(handle, nullptr, 64), length);

    // Exactly the length: one byte short of the terminator, so the last byte is cut.
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetErrorString(handle, buffer, length), length);
    EXPECT_EQ(std::string(buffer), message.substr(0, message.size() - 1));
    EXPECT_EQ(buffer[length], '#');

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(GetErrorString(handle, buffer, length + 1), length);
    EXPECT_EQ(std::string(buffer), message);
    EXPECT_EQ(buffer[length + 1], '#');
}

TEST(LinearClassifierTraining, SeveralThreadsGetDistinctHandles) {
    constexpr int kThreads = 4;
    constexpr int kPerThread = 25;
    std::vector<std::vector<unsigned int>> got(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &got] {
            for (int i = 0; i < kPerThread; ++i) {
                const unsigned int handle =
                    LinearClassifierTraining(kExample.data(), 2, i % 2 == 0 ? 4 : 0);
                // Reading while others train and close.
                if (IsSuccessed(handle) != (i % 2 == 0)) got[t].push_back(0);
                got[t].push_back(handle);
                if (i % 5 == 4) {
                    CloseHandle(got[t].front());
                    got[t].erase(got[t].begin());
                }
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    std::set<unsigned int> live;
    size_t count = 0;
    for (const auto& handles : got) {
        for (unsigned int handle : handles) {
            EXPECT_GE(handle, 10u);
            live.insert(handle);
            ++count;
        }
    }
    EXPECT_EQ(live.size(), count);  // no handle was given out twice while live
    for (unsigned int handle : live) CloseHandle(handle);
    const unsigned int next = LinearClassifierTraining(kExample.data(), 2, 4);
    EXPECT_EQ(next, 10u);
    CloseHandle(next);
}

}  // namespace
