#pragma once

// Helpers shared by every test program.

#include <gtest/gtest.h>

#include <exception>
#include <string>

namespace testing_support {

// The GBK bytes of a UTF-8 literal, as the library's messages carry them.
std::string Gbk(const char* utf8);

// While alive, the whole process runs in a German locale, whose decimal point is ','. The
// locale is compiled into a private folder, so the machine needs only the locale sources.
// Active() tells whether it could be made; the destructor returns to the "C" locale.
class CommaDecimalLocale {
public:
    CommaDecimalLocale();
    ~CommaDecimalLocale();
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;
    bool Active() const { return m_active; }

private:
    std::string m_dir;
    bool m_active = false;
};

// Runs f and checks that it throws a std::exception (by value) whose what() is the GBK
// form of `utf8Message`.
template <class F>
::testing::AssertionResult ThrowsMessage(F&& f, const char* utf8Message) {
    try {
        f();
    } catch (const std::exception& e) {
        if (e.what() == Gbk(utf8Message)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "threw a different message";
    } catch (...) {
        return ::testing::AssertionFailure() << "threw something that is not a std::exception";
    }
    return ::testing::AssertionFailure() << "did not throw";
}

// Runs f and checks that it throws a pointer to a std::exception carrying `utf8Message`;
// deletes the thrown object.
template <class F>
::testing::AssertionResult ThrowsPointerMessage(F&& f, const char* utf8Message) {
    try {
        f();
    } catch (std::exception* e) {
        const bool same = e != nullptr && e->what() == Gbk(utf8Message);
        delete e;
        if (same) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "threw a pointer with a different message";
    } catch (...) {
        return ::testing::AssertionFailure() << "threw something other than std::exception*";
    }
    return ::testing::AssertionFailure() << "did not throw";
}

}  // namespace testing_support

#define EXPECT_THROW_MSG(statement, utf8) \
    EXPECT_TRUE(::testing_support::ThrowsMessage([&] { (void)(statement); }, utf8))
#define EXPECT_THROW_PTR_MSG(statement, utf8) \
    EXPECT_TRUE(::testing_support::ThrowsPointerMessage([&] { (void)(statement); }, utf8))
