#include "vecmat/regression/DataModel.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cmath>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

namespace pct {

namespace {

// The whole file in one buffer, followed by a terminating zero byte.
struct FileBuffer {
    std::unique_ptr<char[]> bytes;
    size_t size = 0;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const char* fileName, FileBuffer& out) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(fileName, "rb"));
    if (!file) return false;
    size_t capacity = 1 << 16;
    struct stat info;
    if (fstat(fileno(file.get()), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0)
        capacity = static_cast<size_t>(info.st_size) + 2;  // room to see the end at once
    std::unique_ptr<char[]> bytes(new char[capacity]);
    size_t size = 0;
    for (;;) {
        if (size + 1 == capacity) {
            // The file grew past its stated size (or is not a regular file): grow.
            const size_t larger = capacity * 2;
            std::unique_ptr<char[]> grown(new char[larger]);
            std::memcpy(grown.get(), bytes.get(), size);
            bytes = std::move(grown);
            capacity = larger;
        }
        const size_t got = std::fread(bytes.get() + size, 1, capacity - 1 - size, file.get());
        size += got;
        if (got == 0) break;
    }
    if (std::ferror(file.get())) return false;
    bytes[size] = '\0';
    out.bytes = std::move(bytes);
    out.size = size;
    return true;
}

// Cursor over the lines of the buffer. A line ends at a line feed, which is not part of
// it, nor is a carriage return directly before it; the text after the last line feed is
// a line only when it is not empty.
class LineCursor {
public:
    LineCursor(char* begin, char* end) : next(begin), end(end) {}

    // The next line as [first, last); false after the last line.
    bool Next(char*& first, char*& last) {
        if (next == end) return false;
        first = next;
        char* feed = static_cast<char*>(std::memchr(next, '\n', static_cast<size_t>(end - next)));
        if (feed == nullptr) {
            last = end;
            next = end;
        } else {
            last = feed;
            if (last != first && last[-1] == '\r') --last;
            next = feed + 1;
        }
        return true;
    }

private:
    char* next;
    char* end;
};

// Number of cells of a line: the text before each comma, and the text after the last
// comma when it is not empty. An empty line has none.
size_t CountCells(const char* first, const char* last) {
    if (first == last) return 0;
    size_t commas = 0;
    for (const char* p = first; p != last; ++p) commas += (*p == ',');
    return commas + 1 - (last[-1] == ',' ? 1 : 0);
}

// Calls f(cellFirst, cellLast) for every cell of a line, in order.
template <class F>
void ForEachCell(char* first, char* last, F&& f) {
    char* cell = first;
    while (cell != last) {
        char* comma = static_cast<char*>(std::memchr(cell, ',', static_cast<size_t>(last - cell)));
        if (comma == nullptr) {
            f(cell, last);
            return;
        }
        f(cell, comma);
        cell = comma + 1;
    }
}

// The "C" locale, so that numbers read the same whatever locale the process adopted.
locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    if (c == static_cast<locale_t>(nullptr)) throw std::bad_alloc();
    return c;
}

// White space as the C locale's isspace knows it.
inline bool IsCSpace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

// Parses the zero-terminated cell [first, last) as strtod does in the "C" locale: leading
// white space skipped, the longest numeric prefix taken, the rest ignored. Throws what
// std::stod throws, with its messages.
//
// Plain decimal numbers go through std::from_chars, which is several times faster and,
// like strtod, rounds correctly, so both give the same double for every finite value away
// from the ends of the range. Everything else (a '+' sign, hexadecimal, infinities,
// not-a-numbers, zero, values near underflow or overflow, and errors) is left to strtod_l,
// which alone decides the value and whether the range was exceeded.
double ParseCell(const char* first, const char* last, locale_t c) {
    const char* p = first;
    while (p != last && IsCSpace(*p)) ++p;
    if (p != last && *p != '+') {
        double value = 0.0;
        const std::from_chars_result parsed = std::from_chars(p, last, value);
        const double magnitude = std::fabs(value);
        if (parsed.ec == std::errc() && magnitude >= 1e-300 && magnitude <= 1e300) return value;
    }
    char* stop = nullptr;
    errno = 0;
    const double value = strtod_l(first, &stop, c);
    if (stop == first) throw std::invalid_argument("invalid stod argument");
    if (errno == ERANGE) throw std::out_of_range("stod argument out of range");
    return value;
}

}  // namespace

DataModel::DataModel() = default;

DataModel::DataModel(const DataModel& other) : matrix(other.matrix), titles(other.titles) {}

DataModel::DataModel(DataModel&& other) noexcept
    : matrix(std::move(other.matrix)), titles(std::move(other.titles)) {
    other.titles.clear();
}

DataModel& DataModel::operator=(const DataModel& other) {
    if (this != &other) {
        // Copy both first so that a failing copy leaves this object as it was.
        Matrix numbers(other.matrix);
        std::map<size_t, std::string> names(other.titles);
        matrix = std::move(numbers);
        titles = std::move(names);
    }
    return *this;
}

DataModel& DataModel::operator=(DataModel&& other) noexcept {
    if (this != &other) {
        matrix = std::move(other.matrix);
        titles.clear();
        titles.swap(other.titles);
    }
    return *this;
}

DataModel::~DataModel() = default;

Matrix& DataModel::GetMatrix() { return matrix; }

std::map<size_t, std::string>& DataModel::GetTitle() { return titles; }

bool DataModel::ReadCSV(const char* fileName) {
    // The simplified-Chinese locale of code page 936, where the platform has it; elsewhere
    // the call fails and changes nothing. Numbers are read in the "C" locale either way.
    std::setlocale(LC_ALL, "Chinese-simplified");
    if (fileName == nullptr) return false;

    FileBuffer file;
    if (!ReadWholeFile(fileName, file)) return false;
    char* begin = file.bytes.get();
    char* const end = begin + file.size;
    if (file.size >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) begin += 3;

    // First pass: the shape. Every line must have as many cells as the title line.
    size_t lineCount = 0;
    size_t cellCount = 0;
    char* titleFirst = nullptr;
    char* titleLast = nullptr;
    {
        LineCursor lines(begin, end);
        char* first = nullptr;
        char* last = nullptr;
        while (lines.Next(first, last)) {
            const size_t cells = CountCells(first, last);
            if (lineCount == 0) {
                cellCount = cells;
                titleFirst = first;
                titleLast = last;
            } else if (cells != cellCount) {
                return false;
            }
            ++lineCount;
        }
    }
    if (lineCount == 0) return true;

    size_t column = 0;
    ForEachCell(titleFirst, titleLast, [&](char* first, char* last) {
        titles[column++] = std::string(first, static_cast<size_t>(last - first));
    });
    if (lineCount == 1) return true;

    // Fails for lines without cells, as a matrix of no columns cannot exist.
    Matrix numbers(lineCount - 1, cellCount);

    // Second pass: the numbers, cell by cell in file order. Each cell is cut off in place
    // (its separator overwritten by a zero byte) so that the conversion cannot run on.
    const locale_t c = CLocale();
    LineCursor lines(begin, end);
    char* first = nullptr;
    char* last = nullptr;
    lines.Next(first, last);  // the title line
    for (size_t row = 0; lines.Next(first, last); ++row) {
        size_t col = 0;
        ForEachCell(first, last, [&](char* cellFirst, char* cellLast) {
            *cellLast = '\0';
            numbers.SetPointValue(row, col++, ParseCell(cellFirst, cellLast, c));
        });
    }
    matrix = std::move(numbers);
    return true;
}

}  // namespace pct
