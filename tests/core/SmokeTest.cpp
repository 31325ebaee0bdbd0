#include <vecmat/Vecmat.h>

#include "tests/support/TestSupport.h"

TEST(MessageText, ConvertsCatalogueBytesToUtf8) {
    EXPECT_EQ(pct::MessageToUtf8(testing_support::Gbk("矩阵索引越界").c_str()), "矩阵索引越界");
    EXPECT_EQ(pct::MessageToUtf8(""), "");
    EXPECT_EQ(pct::MessageToUtf8(nullptr), "");
}
