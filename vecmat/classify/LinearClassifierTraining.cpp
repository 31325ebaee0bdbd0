#include "vecmat/classify/LinearClassifierTraining.h"

#include <cstring>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <typeinfo>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/classify/LinearClassifierTrainer.h"
#include "vecmat/core/Matrix.h"

namespace {

// The outcome of one training, kept by the library from the training until CloseHandle.
struct LCTrainingResult {
    bool success = false;
    int errorCode = 0;
    std::string errorMessage;
    std::vector<double> featureData;
    double threshold = 0.0;
    int tagP = -1;
    int tagN = -1;
};

// Handles are given out from 10 upwards; 0 is never a handle.
constexpr unsigned int kFirstHandle = 10;

// The process-wide handle registry. Every access holds the mutex, so the plain functions
// may be called from several threads.
struct Registry {
    std::mutex mutex;
    std::map<unsigned int, std::unique_ptr<LCTrainingResult>> records;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

// The text stored for a failure: the exception's message, or "Unknown exception" when it
// carries none (an empty text, or a bare std::exception whose what() only names its type).
std::string MessageOf(const std::exception& e) {
    const char* text = e.what();
    if (typeid(e) == typeid(std::exception) || text == nullptr || *text == '\0') {
        return pct::msg::kUnknownException;
    }
    return text;
}

// Runs the discriminant training; any failure becomes a failed record.
std::unique_ptr<LCTrainingResult> Train(const double* data, size_t columnCount,
                                        size_t rowCount) {
    auto record = std::make_unique<LCTrainingResult>();
    std::string message;
    try {
        // A zero count fails in the matrix itself; otherwise the array must exist and its
        // size in bytes must fit a size_t, or reading it would run off the end.
        if (rowCount != 0 && columnCount != 0) {
            if (data == nullptr) pct::detail::Fail(pct::msg::kNullDataArray);
            if (columnCount > std::numeric_limits<size_t>::max() / sizeof(double) / rowCount) {
                pct::detail::Fail(pct::msg::kDataCountOverflow);
            }
        }
        const pct::Matrix all(rowCount, columnCount, data);
        pct::Ko::LinearClassifierTrainer trainer;
        trainer.InputAllMatrix(all);
        const pct::Ko::LCMData model = trainer.LDA();
        std::vector<double> weights(model.weights.Size());
        for (size_t i = 0; i < weights.size(); ++i) weights[i] = model.weights.GetValue(i);
        record->featureData = std::move(weights);
        record->threshold = model.threshold;
        record->tagP = model.tagP;
        record->tagN = model.tagN;
        record->success = true;
        return record;
    } catch (const std::exception& e) {
        message = MessageOf(e);
    } catch (std::exception* e) {
        // The vector accessors throw by pointer; the catcher owns the object.
        message = e != nullptr ? MessageOf(*e) : std::string(pct::msg::kUnknownException);
        delete e;
    } catch (...) {
        message = pct::msg::kUnknownException;
    }
    auto failed = std::make_unique<LCTrainingResult>();
    failed->errorMessage = std::move(message);
    return failed;
}

// Runs `read` on the record of `handle` under the registry's lock, or returns `missing`
// when the handle is not registered.
template <class T, class Read>
T WithRecord(unsigned int handle, T missing, Read read) noexcept {
    try {
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        const auto found = registry.records.find(handle);
        if (found == registry.records.end()) return missing;
        return read(*found->second);
    } catch (...) {
        // Only a failure to lock gets here; answer as for an unregistered handle.
        return missing;
    }
}

}  // namespace

VECMAT_EXTERN_C_BEGIN

unsigned int LinearClassifierTraining(const double* data, size_t columnCount, size_t rowCount) {
    try {
        std::unique_ptr<LCTrainingResult> record = Train(data, columnCount, rowCount);
        Registry& registry = TheRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        // The smallest number from 10 up that the registry does not hold.
        unsigned int handle = kFirstHandle;
        for (auto it = registry.records.lower_bound(kFirstHandle);
             it != registry.records.end() && it->first == handle; ++it) {
            if (handle == ~0u) return 0;  // every number is taken
            ++handle;
        }
        registry.records.emplace(handle, std::move(record));
        return handle;
    } catch (...) {
        // Only memory exhaustion gets here: the record could not be built or stored.
        return 0;
    }
}

bool IsSuccessed(unsigned int handle) {
    return WithRecord(handle, false, [](const LCTrainingResult& r) { return r.success; });
}

int GetErrorCode(unsigned int handle) {
    return WithRecord(handle, -1, [](const LCTrainingResult& r) { return r.errorCode; });
}

int GetErrorString(unsigned int handle, char* buffer, int bufferSize) {
    return WithRecord(handle, -1, [buffer, bufferSize](const LCTrainingResult& r) {
        const size_t length = r.errorMessage.size();
        if (buffer != nullptr && bufferSize > 0) {
            const size_t room = static_cast<size_t>(bufferSize) - 1;
            const size_t copied = length < room ? length : room;
            std::memcpy(buffer, r.errorMessage.data(), copied);
            buffer[copied] = '\0';
        }
        return static_cast<int>(length);
    });
}

int LCGetFeatureDataCount(unsigned int handle) {
    return WithRecord(handle, 0, [](const LCTrainingResult& r) {
        return static_cast<int>(r.featureData.size());
    });
}

int LCGetFeatureData(unsigned int handle, double* buffer, int capacity) {
    return WithRecord(handle, 0, [buffer, capacity](const LCTrainingResult& r) {
        const size_t count = r.featureData.size();
        if (capacity < 0 || static_cast<size_t>(capacity) < count) return -2;
        if (count > 0) {
            if (buffer == nullptr) return -2;
            std::memcpy(buffer, r.featureData.data(), count * sizeof(double));
        }
        return static_cast<int>(count);
    });
}

double LCGetThreshold(unsigned int handle) {
    return WithRecord(handle, 0.0, [](const LCTrainingResult& r) { return r.threshold; });
}

int LCGetTagP(unsigned int handle) {
    return WithRecord(handle, 0, [](const LCTrainingResult& r) { return r.tagP; });
}

int LCGetTagN(unsigned int handle) {
    return WithRecord(handle, 0, [](const LCTrainingResult& r) { return r.tagN; });
}

void CloseHandle(unsigned int handle) {
    try {
        std::unique_ptr<LCTrainingResult> record;
        {
            Registry& registry = TheRegistry();
            std::lock_guard<std::mutex> lock(registry.mutex);
            const auto found = registry.records.find(handle);
            if (found == registry.records.end()) return;
            record = std::move(found->second);
            registry.records.erase(found);
        }
        // The record is destroyed here, outside the lock.
    } catch (...) {
        // Only a failure to lock gets here; the handle stays registered.
    }
}

VECMAT_EXTERN_C_END
