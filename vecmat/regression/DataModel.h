#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "vecmat/Export.h"
#include "vecmat/core/Matrix.h"

namespace pct {

// A comma-separated numeric file: the numbers of its data lines as a matrix and the cells
// of its first line as column titles.
class VECMAT_API DataModel {
public:
    DataModel();
    DataModel(const DataModel& other);
    DataModel(DataModel&& other) noexcept;
    DataModel& operator=(const DataModel& other);
    DataModel& operator=(DataModel&& other) noexcept;
    ~DataModel();

    // Reads the named file: an optional UTF-8 byte order mark, a title line, then one line
    // of numbers per row, all lines with the same number of comma-separated cells. Numbers
    // are read by the C rules of strtod ('.' as decimal point, whatever the process locale).
    // Returns false, changing nothing, when the file cannot be read or its lines differ in
    // cell count; returns true for an empty file (nothing changes) and for a title line
    // alone (titles set). A cell without a number throws std::invalid_argument, one beyond
    // the range of double std::out_of_range; the titles are then already set and the
    // matrix keeps its old contents.
    bool ReadCSV(const char* fileName);

    Matrix& GetMatrix();
    // Column index to the bytes of that column's title cell.
    std::map<size_t, std::string>& GetTitle();

private:
    Matrix matrix;
    std::map<size_t, std::string> titles;
};

}  // namespace pct
