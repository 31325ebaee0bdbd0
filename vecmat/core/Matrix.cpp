#include "vecmat/core/Matrix.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <new>

#include "vecmat/Messages.h"
#include "vecmat/core/MatrixFeature.h"
#include "vecmat/core/MatrixProduct.h"

namespace pct {

namespace {

// The library's zero tolerance, the machine epsilon of double (2^-52).
constexpr double kEpsilon = 2.220446049250313e-16;

// rows * columns, failing like an allocation when the count does not fit a size_t (a
// wrapped product would allocate too little and let element access run past the array).
size_t ElementCount(size_t rows, size_t columns) {
    if (columns != 0 && rows > std::numeric_limits<size_t>::max() / columns) {
        throw std::bad_array_new_length();
    }
    return rows * columns;
}

}  // namespace

// ---- construction, copying and access ----

Matrix::Matrix() : data(nullptr), columns(0), rows(0) {}

Matrix::Matrix(size_t rows, size_t columns, Uninitialised)
    : data(new double[ElementCount(rows, columns)]), columns(columns), rows(rows) {}

Matrix::Matrix(size_t rows, size_t columns) : data(nullptr), columns(0), rows(0) {
    if (rows == 0 || columns == 0) detail::Fail(msg::kMatrixZeroDimension);
    data = new double[ElementCount(rows, columns)]();
    this->columns = columns;
    this->rows = rows;
}

Matrix::Matrix(size_t rows, size_t columns, const double* values)
    : data(nullptr), columns(0), rows(0) {
    if (rows == 0 || columns == 0) detail::Fail(msg::kMatrixZeroDimension);
    const size_t n = ElementCount(rows, columns);
    data = new double[n];
    std::copy(values, values + n, data);
    this->columns = columns;
    this->rows = rows;
}

Matrix::Matrix(const Matrix& other)
    : data(new double[other.rows * other.columns]), columns(other.columns), rows(other.rows) {
    std::copy(other.data, other.data + rows * columns, data);
}

Matrix::Matrix(Matrix&& other) noexcept : data(other.data), columns(other.columns), rows(other.rows) {
    other.data = nullptr;
    other.columns = 0;
    other.rows = 0;
}

Matrix::~Matrix() {
    delete[] data;
    data = nullptr;
    columns = 0;
    rows = 0;
}

Matrix& Matrix::operator=(const Matrix& other) {
    if (this == &other) return *this;
    // Allocate first so that a failed allocation leaves this matrix as it was.
    const size_t n = other.rows * other.columns;
    double* copy = new double[n];
    std::copy(other.data, other.data + n, copy);
    delete[] data;
    data = copy;
    columns = other.columns;
    rows = other.rows;
    return *this;
}

Matrix& Matrix::operator=(Matrix&& other) noexcept {
    if (this == &other) return *this;
    delete[] data;
    data = other.data;
    columns = other.columns;
    rows = other.rows;
    other.data = nullptr;
    other.columns = 0;
    other.rows = 0;
    return *this;
}

bool Matrix::operator==(const Matrix& other) const {
    if (this == &other) return true;
    if (rows != other.rows || columns != other.columns) return false;
    const size_t n = rows * columns;
    for (size_t i = 0; i < n; ++i) {
        if (!(std::fabs(data[i] - other.data[i]) <= kEpsilon)) return false;
    }
    return true;
}

void Matrix::Copy(const double* values) {
    const size_t n = rows * columns;
    if (n == 0 || data == nullptr) return;
    std::copy(values, values + n, data);
}

double Matrix::GetPointValue(size_t row, size_t column) const {
    if (row >= rows || column >= columns) detail::Fail(msg::kMatrixIndexOutOfRange);
    return data[row * columns + column];
}

void Matrix::SetPointValue(size_t row, size_t column, double value) {
    if (row >= rows || column >= columns) detail::Fail(msg::kMatrixIndexOutOfRange);
    data[row * columns + column] = value;
}

size_t Matrix::GetRowCount() const { return rows; }

size_t Matrix::GetColumnCount() const { return columns; }

const double* Matrix::Data() const { return data; }

double* Matrix::Data() { return data; }

void Matrix::Print() const {
    for (size_t r = 0; r < rows; ++r) {
        const double* row = data + r * columns;
        for (size_t c = 0; c < columns; ++c) std::cout << row[c] << '\t';
        std::cout << std::endl;
    }
    std::cout << std::endl;
}

// ---- shape tests ----

bool Matrix::IsEmpty() const { return columns == 0 || rows == 0 || data == nullptr; }

bool Matrix::IsZero() const {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    const size_t n = rows * columns;
    for (size_t i = 0; i < n; ++i) {
        if (!(std::fabs(data[i]) <= kEpsilon)) return false;
    }
    return true;
}

bool Matrix::IsSquare() const {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    return rows == columns;
}

bool Matrix::IsSymmetric() const {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    if (rows != columns) return false;
    for (size_t i = 0; i < rows; ++i) {
        for (size_t j = i + 1; j < columns; ++j) {
            if (!(data[i * columns + j] == data[j * columns + i])) return false;
        }
    }
    return true;
}

// ---- rows, columns and blocks ----

Matrix Matrix::Transpose() const {
    if (IsEmpty()) detail::Fail(msg::kMatrixEmpty);
    Matrix result(columns, rows, Uninitialised{});
    // Walk the source in row-major order; the writes go down the result's columns.
    for (size_t r = 0; r < rows; ++r) {
        const double* source = data + r * columns;
        for (size_t c = 0; c < columns; ++c) result.data[c * rows + r] = source[c];
    }
    return result;
}

Vector Matrix::GetRowVector(size_t row) const {
    if (row >= rows) detail::Fail(msg::kRowIndexOutOfRange);
    return Vector(data + row * columns, columns);
}

Vector Matrix::GetColVector(size_t column) const {
    if (column >= columns) detail::Fail(msg::kColumnIndexOutOfRange);
    Vector result(rows);
    for (size_t r = 0; r < rows; ++r) result.data[r] = data[r * columns + column];
    return result;
}

Matrix Matrix::InsertRowVector(size_t position, const Vector& v) const {
    if (position > rows) detail::Fail(msg::kInsertPositionOutOfRange);
    if (v.Size() != columns) detail::Fail(msg::kInsertVectorSizeMismatch);
    if (columns == 0) detail::Fail(msg::kMatrixZeroDimension);
    Matrix result(rows + 1, columns, Uninitialised{});
    std::copy(data, data + position * columns, result.data);
    double* inserted = result.data + position * columns;
    for (size_t c = 0; c < columns; ++c) inserted[c] = v[c];
    std::copy(data + position * columns, data + rows * columns, inserted + columns);
    return result;
}

Matrix Matrix::InsertColVector(size_t position, const Vector& v) const {
    if (position > columns) detail::Fail(msg::kInsertPositionOutOfRange);
    if (v.Size() != rows) detail::Fail(msg::kInsertVectorSizeMismatch);
    if (rows == 0) detail::Fail(msg::kMatrixZeroDimension);
    const size_t width = columns + 1;
    Matrix result(rows, width, Uninitialised{});
    for (size_t r = 0; r < rows; ++r) {
        const double* source = data + r * columns;
        double* target = result.data + r * width;
        std::copy(source, source + position, target);
        target[position] = v[r];
        std::copy(source + position, source + columns, target + position + 1);
    }
    return result;
}

Matrix Matrix::DeleteRows(std::vector<size_t> list) const {
    if (list.empty()) return *this;
    // A list as long as the row count, or longer, would leave no rows.
    if (list.size() >= rows || columns == 0) detail::Fail(msg::kMatrixZeroDimension);
    // Each old row is visited once, so a listed index skips its row at most once however
    // often it is repeated; indices beyond the matrix skip nothing. The result is filled
    // from the first rows that are not skipped.
    std::vector<bool> skip(rows, false);
    for (size_t r : list) {
        if (r < rows) skip[r] = true;
    }
    const size_t keep = rows - list.size();
    Matrix result(keep, columns, Uninitialised{});
    size_t filled = 0;
    for (size_t r = 0; r < rows && filled < keep; ++r) {
        if (skip[r]) continue;
        std::copy(data + r * columns, data + (r + 1) * columns, result.data + filled * columns);
        ++filled;
    }
    return result;
}

Matrix Matrix::DeleteColumns(std::vector<size_t> list) const {
    if (list.empty()) return *this;
    // A list as long as the column count, or longer, would leave no columns.
    if (rows == 0 || list.size() >= columns) detail::Fail(msg::kMatrixZeroDimension);
    std::vector<bool> skip(columns, false);
    for (size_t c : list) {
        if (c < columns) skip[c] = true;
    }
    const size_t keep = columns - list.size();
    std::vector<size_t> kept;
    kept.reserve(keep);
    for (size_t c = 0; c < columns && kept.size() < keep; ++c) {
        if (!skip[c]) kept.push_back(c);
    }
    Matrix result(rows, keep, Uninitialised{});
    for (size_t r = 0; r < rows; ++r) {
        const double* source = data + r * columns;
        double* target = result.data + r * keep;
        for (size_t k = 0; k < keep; ++k) target[k] = source[kept[k]];
    }
    return result;
}

Matrix Matrix::GetZone(size_t firstColumn, size_t firstRow, size_t columnCount,
                       size_t rowCount) const {
    // Compared without forming firstColumn + columnCount, which could wrap around.
    if (firstColumn > columns || columnCount > columns - firstColumn || firstRow > rows ||
        rowCount > rows - firstRow) {
        detail::Fail(msg::kZoneOutOfRange);
    }
    if (columnCount == 0 || rowCount == 0) detail::Fail(msg::kMatrixZeroDimension);
    Matrix result(rowCount, columnCount, Uninitialised{});
    for (size_t r = 0; r < rowCount; ++r) {
        const double* source = data + (firstRow + r) * columns + firstColumn;
        std::copy(source, source + columnCount, result.data + r * columnCount);
    }
    return result;
}

void Matrix::ExchangeRow(size_t a, size_t b) {
    if (a >= rows || b >= rows) detail::Fail(msg::kExchangeRowOutOfRange);
    if (a == b) return;
    std::swap_ranges(data + a * columns, data + (a + 1) * columns, data + b * columns);
}

void Matrix::ExchangeColumn(size_t a, size_t b) {
    if (a >= columns || b >= columns) detail::Fail(msg::kExchangeColumnOutOfRange);
    if (a == b) return;
    for (size_t r = 0; r < rows; ++r) std::swap(data[r * columns + a], data[r * columns + b]);
}

Matrix Matrix::RowMerge(const Matrix& right) const {
    if (rows != right.rows) detail::Fail(msg::kRowMergeRowCountMismatch);
    if (rows == 0 || (columns == 0 && right.columns == 0)) detail::Fail(msg::kMatrixZeroDimension);
    const size_t width = columns + right.columns;
    Matrix result(rows, width, Uninitialised{});
    for (size_t r = 0; r < rows; ++r) {
        double* target = result.data + r * width;
        std::copy(data + r * columns, data + (r + 1) * columns, target);
        std::copy(right.data + r * right.columns, right.data + (r + 1) * right.columns,
                  target + columns);
    }
    return result;
}

// ---- row and column views ----

IMatrixFeature* Matrix::GetRowFeature(size_t row) {
    return new MatrixFeature(this, MatrixFeature::kRow, row);
}

const IMatrixFeature* Matrix::GetRowFeature(size_t row) const {
    return new MatrixFeature(this, MatrixFeature::kRow, row);
}

IMatrixFeature* Matrix::GetColumnFeature(size_t column) {
    return new MatrixFeature(this, MatrixFeature::kColumn, column);
}

const IMatrixFeature* Matrix::GetColumnFeature(size_t column) const {
    return new MatrixFeature(this, MatrixFeature::kColumn, column);
}

// ---- factories ----

Matrix Matrix::CreateIdentityMatrix(size_t n) {
    Matrix result(n, n);
    for (size_t i = 0; i < n; ++i) result.data[i * n + i] = 1.0;
    return result;
}

Matrix Matrix::CreateMatrixI(size_t rows, size_t columns) {
    Matrix result(rows, columns);
    std::fill(result.data, result.data + rows * columns, 1.0);
    return result;
}

Matrix Matrix::CreateFromVectors(const Vector* vectors, size_t count) {
    if (vectors == nullptr || count == 0 || vectors[0].size == 0) return Matrix();
    const size_t width = vectors[0].size;
    for (size_t i = 1; i < count; ++i) {
        if (vectors[i].size != width) detail::Fail(msg::kVectorsSizeMismatch);
    }
    Matrix result(count, width, Uninitialised{});
    for (size_t i = 0; i < count; ++i) {
        std::copy(vectors[i].data, vectors[i].data + width, result.data + i * width);
    }
    return result;
}

// ---- operators ----

Matrix Matrix::operator-() const {
    const size_t n = rows * columns;
    Matrix result(rows, columns, Uninitialised{});
    for (size_t i = 0; i < n; ++i) result.data[i] = -data[i];
    return result;
}

Matrix operator+(const Matrix& a, const Matrix& b) {
    if (a.rows != b.rows || a.columns != b.columns) detail::Fail(msg::kAddShapeMismatch);
    const size_t n = a.rows * a.columns;
    Matrix result(a.rows, a.columns, Matrix::Uninitialised{});
    for (size_t i = 0; i < n; ++i) result.data[i] = b.data[i] + a.data[i];
    return result;
}

Matrix operator-(const Matrix& a, const Matrix& b) {
    if (a.rows != b.rows || a.columns != b.columns) detail::Fail(msg::kSubtractShapeMismatch);
    const size_t n = a.rows * a.columns;
    Matrix result(a.rows, a.columns, Matrix::Uninitialised{});
    for (size_t i = 0; i < n; ++i) result.data[i] = a.data[i] - b.data[i];
    return result;
}

Matrix operator*(const Matrix& a, double s) {
    const size_t n = a.rows * a.columns;
    Matrix result(a.rows, a.columns, Matrix::Uninitialised{});
    for (size_t i = 0; i < n; ++i) result.data[i] = s * a.data[i];
    return result;
}

Matrix operator*(double s, const Matrix& a) { return a * s; }

Matrix operator*(const Matrix& a, const Matrix& b) {
    if (a.IsEmpty() || b.columns == 0 || b.rows == 0 || b.data == nullptr) {
        detail::Fail(msg::kMultiplyEmpty);
    }
    if (a.columns != b.rows) detail::Fail(msg::kMultiplyShapeMismatch);
    Matrix result(a.rows, b.columns, Matrix::Uninitialised{});
    detail::MultiplyInto(a.data, b.data, result.data, a.rows, a.columns, b.columns);
    return result;
}

Vector operator*(const Matrix& a, const Vector& v) {
    if (a.IsEmpty()) detail::Fail(msg::kMatrixVectorEmpty);
    if (a.columns != v.Size()) detail::Fail(msg::kMatrixVectorShapeMismatch);
    // The vector is read through its virtual GetValue, once per element.
    std::vector<double> values(a.columns);
    for (size_t j = 0; j < a.columns; ++j) values[j] = v.GetValue(j);
    Vector result(a.rows);
    for (size_t i = 0; i < a.rows; ++i) {
        const double* row = a.data + i * a.columns;
        double sum = 0.0;
        for (size_t j = 0; j < a.columns; ++j) sum += values[j] * row[j];
        result[i] = sum;
    }
    return result;
}

}  // namespace pct
