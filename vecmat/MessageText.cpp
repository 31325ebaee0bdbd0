#include "vecmat/MessageText.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace pct {

std::string MessageToUtf8(const char* gbkMessage) {
    if (gbkMessage == nullptr) return {};
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1)) return gbkMessage;

    std::string out;
    char* in = const_cast<char*>(gbkMessage);
    size_t inLeft = std::strlen(gbkMessage);
    char buffer[256];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr);
        if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
            out += "\xEF\xBF\xBD";  // skip one undecodable byte
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace pct
