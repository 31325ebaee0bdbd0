#include <vecmat/Vecmat.h>

#include <unistd.h>

#include <clocale>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

#include "tests/support/TestSupport.h"

using pct::DataModel;
using pct::Matrix;

namespace {

using Titles = std::map<size_t, std::string>;

// Writes `bytes` to a fresh file in the test's temporary folder and returns its path.
std::string WriteFile(const std::string& bytes) {
    static int counter = 0;
    const std::string path = ::testing::TempDir() + "datamodel_" + std::to_string(getpid()) +
                             "_" + std::to_string(counter++) + ".csv";
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    return path;
}

bool Read(DataModel& model, const std::string& bytes) {
    const std::string path = WriteFile(bytes);
    const bool ok = model.ReadCSV(path.c_str());
    std::remove(path.c_str());
    return ok;
}

Matrix M(size_t rows, size_t columns, std::vector<double> values) {
    return Matrix(rows, columns, values.data());
}

void ExpectMatrix(DataModel& model, const Matrix& expected) {
    const Matrix& m = model.GetMatrix();
    ASSERT_EQ(m.GetRowCount(), expected.GetRowCount());
    ASSERT_EQ(m.GetColumnCount(), expected.GetColumnCount());
    for (size_t r = 0; r < m.GetRowCount(); ++r)
        for (size_t c = 0; c < m.GetColumnCount(); ++c)
            EXPECT_EQ(m.GetPointValue(r, c), expected.GetPointValue(r, c)) << r << "," << c;
}

// A model holding an earlier read: titles p, q and the row (7, 8).
DataModel Earlier() {
    DataModel model;
    EXPECT_TRUE(Read(model, "p,q\n7,8\n"));
    return model;
}

template <class E, class F>
void ExpectStandardException(F&& f, const char* message) {
    try {
        f();
        ADD_FAILURE() << "did not throw";
    } catch (const E& e) {
        EXPECT_STREQ(e.what(), message);
    }
}

}  // namespace

TEST(DataModelRead, LineEndingsMarkAndFinalLineFeed) {
    for (const char* text : {"x,y\n1,2\n3,4\n", "x,y\r\n1,2\r\n3,4\r\n", "\xEF\xBB\xBFx,y\n1,2\n3,4\n",
                             "x,y\n1,2\n3,4", "\xEF\xBB\xBFx,y\r\n1,2\r\n3,4"}) {
        SCOPED_TRACE(text);
        DataModel model;
        ASSERT_TRUE(Read(model, text));
        ExpectMatrix(model, M(2, 2, {1, 2, 3, 4}));
        EXPECT_EQ(model.GetTitle(), (Titles{{0, "x"}, {1, "y"}}));
    }
}

TEST(DataModelRead, FirstLineIsAlwaysTitles) {
    DataModel model;
    ASSERT_TRUE(Read(model, "1,2\n3,4\n"));
    ExpectMatrix(model, M(1, 2, {3, 4}));
    EXPECT_EQ(model.GetTitle(), (Titles{{0, "1"}, {1, "2"}}));
}

TEST(DataModelRead, TitleBytesKeptAsTheyStand) {
    DataModel model;
    // No trimming, no decoding; a carriage return not before a line feed stays.
    ASSERT_TRUE(Read(model, " a \xCE\xC4,b\rc\n1,2\r"));
    EXPECT_EQ(model.GetTitle(), (Titles{{0, " a \xCE\xC4"}, {1, "b\rc"}}));
    ExpectMatrix(model, M(1, 2, {1, 2}));
}

TEST(DataModelRead, RaggedOrBlankLinesReturnFalseAndChangeNothing) {
    for (const char* text : {"x,y\n1,2\n\n", "x,y\r\n1,2\r\n\r\n", "x,y\n1,2,3\n", "x,y\n1,,2\n", "x,y\n\n1,2\n",
                             "x,y\n1\n", "x\n1,2\n"}) {
        SCOPED_TRACE(text);
        DataModel model = Earlier();
        EXPECT_FALSE(Read(model, text));
        ExpectMatrix(model, M(1, 2, {7, 8}));
        EXPECT_EQ(model.GetTitle(), (Titles{{0, "p"}, {1, "q"}}));
    }
}

TEST(DataModelRead, CellSplitting) {
    DataModel model;
    // Trailing commas add no cell.
    ASSERT_TRUE(Read(model, "x,y,\n1,2,\n"));
    ExpectMatrix(model, M(1, 2, {1, 2}));
    EXPECT_EQ(model.GetTitle(), (Titles{{0, "x"}, {1, "y"}}));
    // A line holding only a comma has one empty cell, so an empty title.
    DataModel single;
    ASSERT_TRUE(Read(single, ",\n5\n"));
    ExpectMatrix(single, M(1, 1, {5}));
    EXPECT_EQ(single.GetTitle(), (Titles{{0, ""}}));
}

TEST(DataModelRead, NumbersByStrtodRules) {
    DataModel model;
    ASSERT_TRUE(Read(model, "x,y\n 1.5 ,2abc\n"));
    ExpectMatrix(model, M(1, 2, {1.5, 2}));

    DataModel forms;
    ASSERT_TRUE(Read(forms, "a,b,c,d,e,f\n0x1p3, +1e2,.5E1,-inf,2.5kg,\t-7\n"));
    ExpectMatrix(forms, M(1, 6, {8, 100, 5, -INFINITY, 2.5, -7}));

    DataModel nan;
    ASSERT_TRUE(Read(nan, "a\nnan\n"));
    EXPECT_TRUE(std::isnan(nan.GetMatrix().GetPointValue(0, 0)));
}

// Every cell must read exactly as strtod reads it, including which texts are out of range.
TEST(DataModelRead, CellsReadBitForBitAsStrtod) {
    std::vector<std::string> cells = {
        "0", "-0", "+5", "0x1P-2", "-0x.8", " \t7", "1e", "5.", ".5", "-.5e1", "1e+", "1.e3",
        "12345678901234567890123", "0.1000000000000000055511151231257827021181583404541015625",
        "2.2250738585072014e-308", "2.2250738585072011e-308", "4.9e-324", "1e-310", "1e-300",
        "9.9999999999999997e-301", "1.7976931348623157e308", "1.7976931348623159e308",
        "1e300", "1.0000000000000001e300", "INFINITY", "-Inf", "nan(0x7)", "0.30000000000000004",
        "00012", "1_000", "3.5e-5x", "0e400", "-1e-400", "1e400"};
    std::mt19937_64 gen(99);
    std::uniform_real_distribution<double> ux(-1e6, 1e6);
    char buffer[64];
    for (int i = 0; i < 500; ++i) {
        std::snprintf(buffer, sizeof buffer, "%.17g", ux(gen));
        cells.push_back(buffer);
        std::snprintf(buffer, sizeof buffer, "%.25e", ux(gen) * 1e-200);
        cells.push_back(buffer);
        std::snprintf(buffer, sizeof buffer, "%.3g", ux(gen));
        cells.push_back(buffer);
    }
    for (const std::string& cell : cells) {
        SCOPED_TRACE(cell);
        char* stop = nullptr;
        errno = 0;
        const double expected = std::strtod(cell.c_str(), &stop);
        const bool range = errno == ERANGE;
        DataModel model;
        if (range) {
            ExpectStandardException<std::out_of_range>([&] { Read(model, "t\n" + cell + "\n"); },
                                                        "stod argument out of range");
            continue;
        }
        ASSERT_TRUE(Read(model, "t\n" + cell + "\n"));
        const double got = model.GetMatrix().GetPointValue(0, 0);
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(got));
        } else {
            EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << got << " vs " << expected;
        }
    }
}

TEST(DataModelRead, BadCellThrowsAfterTitlesAndKeepsMatrix) {
    for (const char* text : {"x,y\na,2\n", "x,y\n1,2\n3,\t\n", "x,y\n,2\n", "x,y\n1,2\n3,-\n"}) {
        SCOPED_TRACE(text);
        DataModel model = Earlier();
        ExpectStandardException<std::invalid_argument>([&] { Read(model, text); },
                                                        "invalid stod argument");
        EXPECT_EQ(model.GetTitle(), (Titles{{0, "x"}, {1, "y"}}));
        ExpectMatrix(model, M(1, 2, {7, 8}));
    }
}

TEST(DataModelRead, EmptyCellAtLineEndDoesNotReadTheNextLine) {
    // The last cell of the line is blank; the number on the next line must not be taken.
    DataModel model;
    ExpectStandardException<std::invalid_argument>([&] { Read(model, "x,y\n1, \n3,4\n"); },
                                                   "invalid stod argument");
    ExpectStandardException<std::invalid_argument>([&] { Read(model, "x,y\n1, \r\n3,4\n"); },
                                                   "invalid stod argument");
}

TEST(DataModelRead, ValuesOutOfRangeThrow) {
    for (const char* text : {"x,y\n1e400,2\n", "x,y\n1,-1e999\n", "x,y\n1,1e-400\n"}) {
        SCOPED_TRACE(text);
        DataModel model = Earlier();
        ExpectStandardException<std::out_of_range>([&] { Read(model, text); },
                                                    "stod argument out of range");
        EXPECT_EQ(model.GetTitle(), (Titles{{0, "x"}, {1, "y"}}));
        ExpectMatrix(model, M(1, 2, {7, 8}));
    }
}

TEST(DataModelRead, WiderEarlierReadKeepsItsExtraTitle) {
    DataModel model;
    ASSERT_TRUE(Read(model, "a,b,c\n1,2,3\n"));
    ASSERT_TRUE(Read(model, "x,y\n4,5\n"));
    EXPECT_EQ(model.GetTitle(), (Titles{{0, "x"}, {1, "y"}, {2, "c"}}));
    ExpectMatrix(model, M(1, 2, {4, 5}));
}

TEST(DataModelRead, TitleOnlySetsTitlesAndKeepsMatrix) {
    for (const char* text : {"x,y\n", "x,y"}) {
        DataModel model = Earlier();
        EXPECT_TRUE(Read(model, text));
        EXPECT_EQ(model.GetTitle(), (Titles{{0, "x"}, {1, "y"}}));
        ExpectMatrix(model, M(1, 2, {7, 8}));
    }
    DataModel fresh;
    EXPECT_TRUE(Read(fresh, "x,y\n"));
    EXPECT_TRUE(fresh.GetMatrix().IsEmpty());
}

TEST(DataModelRead, EmptyFilesChangeNothing) {
    for (const std::string& text : {std::string(), std::string("\xEF\xBB\xBF")}) {
        DataModel model = Earlier();
        EXPECT_TRUE(Read(model, text));
        EXPECT_EQ(model.GetTitle(), (Titles{{0, "p"}, {1, "q"}}));
        ExpectMatrix(model, M(1, 2, {7, 8}));
    }
}

TEST(DataModelRead, FilesShorterThanThreeBytesAreRead) {
    DataModel model;
    EXPECT_TRUE(Read(model, "a\n"));
    EXPECT_EQ(model.GetTitle(), (Titles{{0, "a"}}));
    DataModel two;
    EXPECT_TRUE(Read(two, "ab"));
    EXPECT_EQ(two.GetTitle(), (Titles{{0, "ab"}}));
    // Two lines of one byte each: a title and a row.
    DataModel row;
    EXPECT_TRUE(Read(row, "a\n5"));
    ExpectMatrix(row, M(1, 1, {5}));
}

TEST(DataModelRead, LinesWithoutCellsFail) {
    DataModel model = Earlier();
    EXPECT_THROW_MSG(Read(model, "\n\n"), "矩阵的行或列不能为0");
    EXPECT_EQ(model.GetTitle(), (Titles{{0, "p"}, {1, "q"}}));
    ExpectMatrix(model, M(1, 2, {7, 8}));
}

TEST(DataModelRead, UnreadablePathsReturnFalse) {
    DataModel model = Earlier();
    EXPECT_FALSE(model.ReadCSV((::testing::TempDir() + "no_such_dir/missing.csv").c_str()));
    EXPECT_FALSE(model.ReadCSV(nullptr));
    EXPECT_FALSE(model.ReadCSV(::testing::TempDir().c_str()));  // a folder
    EXPECT_EQ(model.GetTitle(), (Titles{{0, "p"}, {1, "q"}}));
    ExpectMatrix(model, M(1, 2, {7, 8}));
}

TEST(DataModelRead, LargeFileReadWhole) {
    std::string text = "x,y\n";
    for (int i = 0; i < 100000; ++i) text += std::to_string(i) + "," + std::to_string(i) + ".25\n";
    DataModel model;
    ASSERT_TRUE(Read(model, text));
    const Matrix& m = model.GetMatrix();
    ASSERT_EQ(m.GetRowCount(), 100000u);
    EXPECT_EQ(m.GetPointValue(0, 1), 0.25);
    EXPECT_EQ(m.GetPointValue(99999, 0), 99999.0);
    EXPECT_EQ(m.GetPointValue(99999, 1), 99999.25);

    // One ragged line at the very end, after every number could have been read: false,
    // and the model keeps the earlier read.
    DataModel ragged = Earlier();
    EXPECT_FALSE(Read(ragged, text + "1,2,3\n"));
    EXPECT_EQ(ragged.GetTitle(), (Titles{{0, "p"}, {1, "q"}}));
    ExpectMatrix(ragged, M(1, 2, {7, 8}));
    // A bad last cell: titles from the new file, the old matrix.
    DataModel bad = Earlier();
    ExpectStandardException<std::invalid_argument>([&] { Read(bad, text + "1,x\n"); },
                                                   "invalid stod argument");
    EXPECT_EQ(bad.GetTitle(), (Titles{{0, "x"}, {1, "y"}}));
    ExpectMatrix(bad, M(1, 2, {7, 8}));
}

// Programs (Qt ones among them) adopt the user's locale, which may use a decimal comma;
// the file format keeps '.'.
TEST(DataModelRead, NumbersIgnoreTheProcessLocale) {
    DataModel model;
    bool ok = false;
    {
        const testing_support::CommaDecimalLocale german;
        if (!german.Active()) GTEST_SKIP() << "no locale with a decimal comma could be made";
        ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
        ok = Read(model, "x,y\n1.5,2.25e1\n");
    }
    ASSERT_TRUE(ok);
    ExpectMatrix(model, M(1, 2, {1.5, 22.5}));
}

TEST(DataModelObject, CopyAndMove) {
    DataModel model = Earlier();
    DataModel copy(model);
    copy.GetMatrix().SetPointValue(0, 0, 70);
    copy.GetTitle()[0] = "changed";
    ExpectMatrix(model, M(1, 2, {7, 8}));
    EXPECT_EQ(model.GetTitle().at(0), "p");

    DataModel moved(std::move(model));
    ExpectMatrix(moved, M(1, 2, {7, 8}));
    EXPECT_TRUE(model.GetMatrix().IsEmpty());
    EXPECT_EQ(model.GetMatrix().GetRowCount(), 0u);
    EXPECT_TRUE(model.GetTitle().empty());

    DataModel target;
    target = copy;
    ExpectMatrix(target, M(1, 2, {70, 8}));
    EXPECT_EQ(target.GetTitle().at(0), "changed");
    target = target;
    EXPECT_EQ(target.GetTitle().at(0), "changed");

    DataModel wider;
    ASSERT_TRUE(Read(wider, "a,b,c\n1,2,3\n"));
    wider = std::move(moved);
    ExpectMatrix(wider, M(1, 2, {7, 8}));
    EXPECT_EQ(wider.GetTitle(), (Titles{{0, "p"}, {1, "q"}}));
    EXPECT_TRUE(moved.GetTitle().empty());
    EXPECT_TRUE(moved.GetMatrix().IsEmpty());
}

TEST(DataModelObject, GetMatrixIsTheModelsOwn) {
    DataModel model = Earlier();
    model.GetMatrix().SetPointValue(0, 1, 80);
    EXPECT_EQ(model.GetMatrix().GetPointValue(0, 1), 80.0);
    model.GetTitle().erase(1);
    EXPECT_EQ(model.GetTitle().size(), 1u);
}

TEST(MatDataHelp, AssignmentChangesNothing) {
    pct::MatDataHelp a;
    pct::MatDataHelp b;
    EXPECT_EQ(&(a = b), &a);
    EXPECT_EQ(&(a = pct::MatDataHelp()), &a);
}
