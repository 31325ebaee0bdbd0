#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "vecmat/Export.h"
#include "vecmat/core/IMatrixFeature.h"
#include "vecmat/core/Vector.h"

namespace pct {

class Determinant;
class Matrix;
class MatrixFeature;

VECMAT_API Matrix operator+(const Matrix& a, const Matrix& b);
VECMAT_API Matrix operator-(const Matrix& a, const Matrix& b);
VECMAT_API Matrix operator*(const Matrix& a, double s);
VECMAT_API Matrix operator*(double s, const Matrix& a);
VECMAT_API Matrix operator*(const Matrix& a, const Matrix& b);
VECMAT_API Vector operator*(const Matrix& a, const Vector& v);

// Dense row-major matrix of doubles owning its array: element (r, c) lives at
// data[r * columns + c]. A matrix is empty when either count is 0 or it has no storage.
class VECMAT_API Matrix {
public:
    Matrix();
    Matrix(size_t rows, size_t columns);
    Matrix(size_t rows, size_t columns, const double* values);
    Matrix(const Matrix& other);
    Matrix(Matrix&& other) noexcept;
    ~Matrix();

    Matrix& operator=(const Matrix& other);
    Matrix& operator=(Matrix&& other) noexcept;
    bool operator==(const Matrix& other) const;

    void Copy(const double* values);
    double GetPointValue(size_t row, size_t column) const;
    void SetPointValue(size_t row, size_t column, double value);
    size_t GetRowCount() const;
    size_t GetColumnCount() const;
    // The elements, row after row (null for a matrix without storage); valid while the
    // matrix lives and keeps its shape. The second form writes them in place.
    const double* Data() const;
    double* Data();
    void Print() const;

    // Shape tests.
    bool IsEmpty() const;
    bool IsZero() const;
    bool IsSquare() const;
    bool IsSymmetric() const;

    // Rows, columns and blocks.
    Matrix Transpose() const;
    Vector GetRowVector(size_t row) const;
    Vector GetColVector(size_t column) const;
    Matrix InsertRowVector(size_t position, const Vector& v) const;
    Matrix InsertColVector(size_t position, const Vector& v) const;
    Matrix DeleteRows(std::vector<size_t> list) const;
    Matrix DeleteColumns(std::vector<size_t> list) const;
    // Note the argument order: column before row in both pairs.
    Matrix GetZone(size_t firstColumn, size_t firstRow, size_t columnCount, size_t rowCount) const;
    void ExchangeRow(size_t a, size_t b);
    void ExchangeColumn(size_t a, size_t b);
    Matrix RowMerge(const Matrix& right) const;

    // Row and column views; the caller frees them with Release() before the matrix dies.
    IMatrixFeature* GetRowFeature(size_t row);
    const IMatrixFeature* GetRowFeature(size_t row) const;
    IMatrixFeature* GetColumnFeature(size_t column);
    const IMatrixFeature* GetColumnFeature(size_t column) const;

    // Factories.
    static Matrix CreateIdentityMatrix(size_t n);
    static Matrix CreateMatrixI(size_t rows, size_t columns);
    static Matrix CreateFromVectors(const Vector* vectors, size_t count);

    Matrix operator-() const;

    // Elimination, rank, inverse and powers (MatrixElimination.cpp)
    // Row echelon form in place: each pivot step prefers a leading 1, normalises the pivot
    // row and clears the rows below it (each rescaled by its own leading element).
    void ToRowEchelonMatrix();
    // The same, treating values up to `tolerance` as zero and storing them as 0.0.
    void ToRowEchelonMatrixFuzzy(double tolerance);
    // Reduced row echelon form in place.
    void TransformationRowSimplest();
    void TransformationRowSimplestFuzzy(double tolerance);
    // The rank as the largest order of a minor (any rows, any columns) whose determinant
    // exceeds 2^-52 in absolute value. Meant for small matrices.
    int Rank() const;
    // The rank from the row echelon form of a copy; never fails.
    int RankEx() const;
    // The inverse as adjugate times 1 / determinant.
    Matrix InverseMatrix() const;
    // The inverse by Gauss-Jordan elimination of [M | I].
    Matrix InverseMatrixEx() const;
    // Whether every element below the diagonal lies within `tolerance` of 0.
    bool IsUpperT(double tolerance) const;
    // The matrix multiplied by itself: exponent - 1 products; the exponent must be >= 1.
    Matrix Power(size_t exponent) const;

private:
    // One pivot step of the exact and of the fuzzy elimination, starting at row and
    // column `start`.
    void SimpleColmunTrans(size_t start);
    void SimpleColmunTransFuzzy(size_t start, double tolerance);

public:

    // End of elimination, rank, inverse and powers

    // Determinants and adjugate (MatrixDeterminant.cpp)
    // A determinant holding a copy of this square matrix.
    Determinant ToDeterminant() const;
    // The adjugate of this square matrix (ToDeterminant().AdjugateMatrix()).
    Matrix AdjugateMatrix() const;

    // End of determinants and adjugate

    // Decompositions and eigenvalues (MatrixDecomposition.cpp)
    // Householder QR of a square matrix: (Q, R) with the matrix = Q * R. Columns whose
    // part from the diagonal down lies within `tolerance` of zero get no reflection.
    std::pair<Matrix, Matrix> QRDecomposition(double tolerance);
    // Unshifted QR iteration: (diagonal of the converged matrix, accumulated Q factors).
    std::pair<std::vector<double>, Matrix> EigenDecomposition(double tolerance, int maxIterations);
    // Power method: magnitude of the dominant eigenvalue; v ends as its scaled estimate.
    double PowershipMethod(Vector& v, double tolerance, size_t maxIterations) const;
    // A solution x of (A - lambda I) x = 0 by reduced elimination (not normalised).
    Vector EigenVector(double lambda, double tolerance);
    // End of decompositions and eigenvalues

private:
    friend class MatrixFeature;
    friend Matrix operator+(const Matrix& a, const Matrix& b);
    friend Matrix operator-(const Matrix& a, const Matrix& b);
    friend Matrix operator*(const Matrix& a, double s);
    friend Matrix operator*(const Matrix& a, const Matrix& b);
    friend Vector operator*(const Matrix& a, const Vector& v);

    // A rows x columns matrix with uninitialised elements; either count may be 0.
    struct Uninitialised {};
    Matrix(size_t rows, size_t columns, Uninitialised);

    double* data;
    size_t columns;
    size_t rows;
};

}  // namespace pct
