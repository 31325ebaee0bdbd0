#pragma once

// printf-style formatting of the program's texts, independent of the process locale: a
// decimal number always uses '.', whatever locale the window toolkit or the CSV reader set.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "app/core/CurveResult.h"

namespace trendfit {

// One argument of Format: an integer, a double or a UTF-8 text.
class FormatArg {
public:
    FormatArg(int value) : kind_(Kind::Integer), integer_(value) {}
    FormatArg(long long value) : kind_(Kind::Integer), integer_(value) {}
    FormatArg(double value) : kind_(Kind::Real), real_(value) {}
    FormatArg(const char* value) : kind_(Kind::Text), text_(value) {}
    FormatArg(std::string value) : kind_(Kind::Text), text_(std::move(value)) {}

    enum class Kind { Integer, Real, Text };
    Kind kind() const { return kind_; }
    long long integer() const { return integer_; }
    double real() const { return real_; }
    const std::string& text() const { return text_; }

private:
    Kind kind_;
    long long integer_ = 0;
    double real_ = 0.0;
    std::string text_;
};

// Formats `pattern` as printf would in the C locale. Understood conversions: %d (integer),
// %s (text), %f and %lf (six decimals), %.Nf and %.Nlf (N decimals), %%. A conversion whose
// argument is missing or of another kind prints nothing; surplus arguments are ignored.
std::string Format(const char* pattern, std::initializer_list<FormatArg> args);

// The double with `decimals` digits after the point, as "%.Nf" in the C locale ("nan",
// "-nan", "inf" and "-inf" for the special values, as glibc prints them).
std::string FormatFixed(double value, int decimals);

// The integer as "%d".
std::string FormatInt(long long value);

// The double as "%.Ng" in the C locale (N significant digits).
std::string FormatGeneral(double value, int significantDigits);

// The double as the property grid shows it: "%.10g", so small and large coefficients
// keep their digits (3e-9 shows as "3e-09", not "0.000000").
inline std::string FormatPropertyDouble(double value) { return FormatGeneral(value, 10); }

// One item of the property grid's "Trendfit" group.
struct PropertyRow {
    std::string name;
    std::string value;  // FormatPropertyDouble of the number
    double number = 0.0;
    std::string description;
};

// The items of the "Trendfit" group for a curve, in order: "L1", "L2", "训练方差",
// "测试方差", then "X0", "X1", ... one per coefficient.
std::vector<PropertyRow> CurvePropertyRows(const CurveResult& curve);

// The items of the property grid's "拟合评价" group for a curve, in order: "训练R²",
// "测试R²", "训练RMSE", "测试RMSE".
std::vector<PropertyRow> QualityPropertyRows(const CurveResult& curve);

// The curve as `trendfit --report` prints it, one "name:value" line each: "阶数" (the
// degree), then the items of the "Trendfit" group with those of "拟合评价" after the two
// errors, every double with 17 significant digits so it reads back exactly.
std::vector<std::string> CurveReportLines(const CurveResult& curve);

// The curve as a UTF-8 CSV file: the title line "阶数,L1,L2,训练方差,测试方差,X0,...,Xd" and
// one line of values, the degree as an integer and every double with 17 significant
// digits ("%.17g"), so each reads back to the same double.
std::string CurveCsv(const CurveResult& curve);

// The low 32 bits of a count read as a signed 32-bit integer, as "%d" prints a wider value.
int LowInt32(std::uint64_t value);

// The milliseconds between two clock readings cut to 32 bits, as "%d" prints them.
int ElapsedMilliseconds(std::uint64_t before, std::uint64_t after);

}  // namespace trendfit
