// Uses the installed library through its umbrella header: builds a small system, prints
// it with its determinant, rank and inverse, and fails when a value is wrong.
#include <vecmat/Vecmat.h>

#include <cstdio>
#include <exception>
#include <string>

int main() {
    const std::string text = pct::MessageToUtf8("\xbe\xd8\xd5\xf3");  // 矩阵
    std::printf("%s\n", text.c_str());
    if (text != "矩阵") return 1;

    try {
        const double values[] = {2, 4, 2, 1, 3, 1, 0, 2, 4};
        const pct::Matrix m(3, 3, values);
        m.Print();

        const double determinant = m.ToDeterminant().getValue();
        const int rank = m.Rank();
        const int rankEx = m.RankEx();
        const pct::Matrix inverse = m.InverseMatrixEx();
        std::printf("determinant %g, rank %d, rank by elimination %d\ninverse:\n", determinant, rank, rankEx);
        inverse.Print();

        const double expected[] = {1.25, -1.5, -0.25, -0.5, 1, 0, 0.25, -0.5, 0.25};
        bool ok = determinant == 8.0 && rank == 3 && rankEx == 3;
        for (size_t r = 0; r < 3; ++r) {
            for (size_t c = 0; c < 3; ++c) ok = ok && inverse.GetPointValue(r, c) == expected[r * 3 + c];
        }
        ok = ok && m * inverse == pct::Matrix::CreateIdentityMatrix(3);
        if (!ok) {
            std::printf("wrong result\n");
            return 1;
        }
    } catch (const std::exception& e) {
        std::printf("failed: %s\n", pct::MessageToUtf8(e.what()).c_str());
        return 1;
    }
    return 0;
}
