#include "tests/support/TestSupport.h"

#include <iconv.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
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

CommaDecimalLocale::CommaDecimalLocale()
    : m_dir(::testing::TempDir() + "locales_" + std::to_string(getpid())) {
    const std::string command = "mkdir -p '" + m_dir + "' && localedef -i de_DE -f ISO-8859-1 '" + m_dir +
                                "/de_DE.ISO-8859-1' >/dev/null 2>&1";
    setenv("LOCPATH", m_dir.c_str(), 1);
    m_active = std::system(command.c_str()) == 0 && std::setlocale(LC_ALL, "de_DE.ISO-8859-1") != nullptr;
}

CommaDecimalLocale::~CommaDecimalLocale() {
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    const int removed = std::system(("rm -rf '" + m_dir + "'").c_str());
    (void)removed;
}

}  // namespace testing_support
