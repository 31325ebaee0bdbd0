// Uses the installed library through its umbrella header.
#include <vecmat/Vecmat.h>

#include <cstdio>

int main() {
    const std::string text = pct::MessageToUtf8("\xbe\xd8\xd5\xf3");  // 矩阵
    std::printf("%s\n", text.c_str());
    return text == "矩阵" ? 0 : 1;
}
