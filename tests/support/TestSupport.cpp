#include "tests/support/TestSupport.h"

#include <iconv.h>

#include <cstring>
#include <stdexcept>

namespace testing_support {

std::string Gbk(const char* utf8) {
    iconv_t cd = iconv_open("GBK", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv has no GBK");
    std::string out(std::strlen(utf8) * 2 + 1, '\0');
    char* in = const_cast<char*>(utf8);
    size_t inLeft = std::strlen(utf8);
    char* outPtr = out.data();
    size_t outLeft = out.size();
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1)) throw std::runtime_error("text has no GBK form");
    out.resize(out.size() - outLeft);
    return out;
}

}  // namespace testing_support
