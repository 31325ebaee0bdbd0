#include "app/core/TextFormat.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <system_error>

namespace trendfit {

namespace {

// Special values as glibc's printf writes them for %f and %g.
bool SpecialValue(double value, std::string& out) {
    if (std::isnan(value)) {
        out = std::signbit(value) ? "-nan" : "nan";
        return true;
    }
    if (std::isinf(value)) {
        out = value < 0 ? "-inf" : "inf";
        return true;
    }
    return false;
}

std::string ToChars(double value, std::chars_format format, int precision) {
    std::string special;
    if (SpecialValue(value, special)) return special;
    // The largest double in fixed notation has 309 digits before the point.
    char buffer[400];
    const std::to_chars_result result =
        std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    if (result.ec != std::errc()) return std::string();
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string FormatFixed(double value, int decimals) {
    if (decimals < 0) decimals = 6;
    if (decimals > 60) decimals = 60;
    return ToChars(value, std::chars_format::fixed, decimals);
}

std::string FormatInt(long long value) { return std::to_string(value); }

std::string FormatGeneral(double value, int significantDigits) {
    if (significantDigits < 1) significantDigits = 1;
    if (significantDigits > 17) significantDigits = 17;
    return ToChars(value, std::chars_format::general, significantDigits);
}

std::string Format(const char* pattern, std::initializer_list<FormatArg> args) {
    std::string out;
    const FormatArg* next = args.begin();
    auto take = [&](FormatArg::Kind kind) -> const FormatArg* {
        if (next == args.end()) return nullptr;
        const FormatArg* arg = next++;
        return arg->kind() == kind ? arg : nullptr;
    };
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        const char* start = p;
        ++p;
        if (*p == '%') {
            out += '%';
            continue;
        }
        int decimals = 6;
        if (*p == '.') {
            ++p;
            decimals = 0;
            while (*p >= '0' && *p <= '9') {
                if (decimals < 100) decimals = decimals * 10 + (*p - '0');
                ++p;
            }
        }
        if (*p == 'l') ++p;
        if (*p == 'd') {
            if (const FormatArg* arg = take(FormatArg::Kind::Integer)) out += FormatInt(arg->integer());
        } else if (*p == 'f') {
            if (const FormatArg* arg = take(FormatArg::Kind::Real)) out += FormatFixed(arg->real(), decimals);
        } else if (*p == 's') {
            if (const FormatArg* arg = take(FormatArg::Kind::Text)) out += arg->text();
        } else {
            // Not a conversion this formatter knows: copy it as it stands.
            out.append(start, p + (*p != '\0' ? 1 : 0));
            if (*p == '\0') break;
        }
    }
    return out;
}

std::vector<PropertyRow> CurvePropertyRows(const CurveResult& curve) {
    std::vector<PropertyRow> rows;
    auto add = [&rows](std::string name, double number, const char* description) {
        rows.push_back(PropertyRow{std::move(name), FormatPropertyDouble(number), number, description});
    };
    add("L1", curve.lambdaL1, "TrendfitLasso参数");
    add("L2", curve.lambdaL2, "TrendfitRidge参数");
    add("训练方差", curve.trainError, "Trendfit后对训练数据的方差值");
    add("测试方差", curve.testError, "Trendfit后对测试数据的方差值");
    for (std::size_t i = 0; i < curve.coefficients.size(); ++i) {
        add(Format("X%d", {static_cast<long long>(i)}), curve.coefficients[i], "多项式系数");
    }
    return rows;
}

std::vector<PropertyRow> QualityPropertyRows(const CurveResult& curve) {
    std::vector<PropertyRow> rows;
    auto add = [&rows](const char* name, double number, const char* description) {
        rows.push_back(PropertyRow{name, FormatPropertyDouble(number), number, description});
    };
    add("训练R²", curve.trainQuality.rSquared, "Trendfit后训练数据的决定系数R²");
    add("测试R²", curve.testQuality.rSquared, "Trendfit后测试数据的决定系数R²");
    add("训练RMSE", curve.trainQuality.rmse, "Trendfit后训练数据的均方根误差");
    add("测试RMSE", curve.testQuality.rmse, "Trendfit后测试数据的均方根误差");
    return rows;
}

std::vector<std::string> CurveReportLines(const CurveResult& curve) {
    std::vector<PropertyRow> rows = CurvePropertyRows(curve);
    const std::vector<PropertyRow> quality = QualityPropertyRows(curve);
    rows.insert(rows.begin() + 4, quality.begin(), quality.end());  // after the two errors
    std::vector<std::string> lines{"阶数:" + FormatInt(static_cast<long long>(curve.coefficients.size()) - 1)};
    for (const PropertyRow& row : rows) lines.push_back(row.name + ":" + FormatGeneral(row.number, 17));
    return lines;
}

std::string CurveCsv(const CurveResult& curve) {
    std::string titles = "阶数,L1,L2,训练方差,测试方差";
    std::string values = FormatInt(static_cast<long long>(curve.coefficients.size()) - 1);
    for (double value : {curve.lambdaL1, curve.lambdaL2, curve.trainError, curve.testError}) {
        values += "," + FormatGeneral(value, 17);
    }
    for (std::size_t i = 0; i < curve.coefficients.size(); ++i) {
        titles += ",X" + FormatInt(static_cast<long long>(i));
        values += "," + FormatGeneral(curve.coefficients[i], 17);
    }
    return titles + "\n" + values + "\n";
}

int ElapsedMilliseconds(std::uint64_t before, std::uint64_t after) { return LowInt32(after - before); }

int LowInt32(std::uint64_t value) {
    const std::uint32_t low = static_cast<std::uint32_t>(value);
    // Two's complement reading of the low 32 bits, written without an out-of-range cast.
    return low <= 0x7fffffffu ? static_cast<int>(low)
                              : -static_cast<int>(0xffffffffu - low) - 1;
}

}  // namespace trendfit
