#include "app/core/DialogExchange.h"

#include <cerrno>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <system_error>

#include "app/core/TextFormat.h"

namespace trendfit {

const char* const kParseIntMessage = "请输入一个整数。";
const char* const kParseRealMessage = "请输入一个数字。";

std::string DialogControls::Text(int id) const {
    const auto found = texts.find(id);
    return found == texts.end() ? std::string() : found->second;
}

int DialogControls::Value(int id) const {
    const auto found = values.find(id);
    return found == values.end() ? -1 : found->second;
}

std::string IntRangeMessage(int minValue, int maxValue) {
    return Format("请输入一个介于 %d 和 %d 之间的整数。", {minValue, maxValue});
}

std::string RealRangeMessage(double minValue, double maxValue, int significantDigits) {
    return Format("请输入一个介于 %s 和 %s 之间的数字。",
                  {FormatGeneral(minValue, significantDigits), FormatGeneral(maxValue, significantDigits)});
}

std::string IntText(int value) { return FormatInt(value); }
std::string DoubleText(double value) { return FormatGeneral(value, 15); }
std::string FloatText(float value) { return FormatGeneral(value, 6); }

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text without surrounding blanks and tabs, and without one leading '+' (which
// from_chars does not take).
std::string Trimmed(const std::string& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    if (end - begin >= 2 && text[begin] == '+' &&
        ((text[begin + 1] >= '0' && text[begin + 1] <= '9') || text[begin + 1] == '.')) {
        ++begin;
    }
    return text.substr(begin, end - begin);
}

}  // namespace

bool ParseInt(const std::string& text, int& value) {
    const std::string t = Trimmed(text);
    if (t.empty()) return false;
    int parsed = 0;
    const auto result = std::from_chars(t.data(), t.data() + t.size(), parsed, 10);
    if (result.ec != std::errc() || result.ptr != t.data() + t.size()) return false;
    value = parsed;
    return true;
}

bool ParseDouble(const std::string& text, double& value) {
    const std::string t = Trimmed(text);
    if (t.empty()) return false;
    double parsed = 0.0;
    const auto result = std::from_chars(t.data(), t.data() + t.size(), parsed, std::chars_format::general);
    if (result.ec != std::errc() || result.ptr != t.data() + t.size()) return false;
    if (!std::isfinite(parsed)) return false;
    value = parsed;
    return true;
}

bool ParseFloat(const std::string& text, float& value) {
    double parsed = 0.0;
    if (!ParseDouble(text, parsed)) return false;
    // A double beyond the float range has no float value.
    if (std::fabs(parsed) > static_cast<double>(FLT_MAX)) return false;
    value = static_cast<float>(parsed);
    return true;
}

void DataExchange::Fail(int id, std::string message) {
    result_.ok = false;
    result_.failedControl = id;
    result_.message = std::move(message);
}

void DataExchange::Int(int id, int& member, int minValue, int maxValue) {
    if (!result_.ok) return;
    int value = 0;
    if (!ParseInt(controls_.Text(id), value)) return Fail(id, kParseIntMessage);
    if (value < minValue || value > maxValue) return Fail(id, IntRangeMessage(minValue, maxValue));
    member = value;
}

void DataExchange::Double(int id, double& member) {
    if (!result_.ok) return;
    double value = 0.0;
    if (!ParseDouble(controls_.Text(id), value)) return Fail(id, kParseRealMessage);
    member = value;
}

void DataExchange::Double(int id, double& member, double minValue, double maxValue) {
    if (!result_.ok) return;
    double value = 0.0;
    if (!ParseDouble(controls_.Text(id), value)) return Fail(id, kParseRealMessage);
    if (!(value >= minValue && value <= maxValue)) return Fail(id, RealRangeMessage(minValue, maxValue, 15));
    member = value;
}

void DataExchange::Float(int id, float& member, float minValue, float maxValue) {
    if (!result_.ok) return;
    float value = 0.0f;
    if (!ParseFloat(controls_.Text(id), value)) return Fail(id, kParseRealMessage);
    if (!(value >= minValue && value <= maxValue)) return Fail(id, RealRangeMessage(minValue, maxValue, 6));
    member = value;
}

void DataExchange::Choice(int id, int& member) {
    if (!result_.ok) return;
    member = controls_.Value(id);
}

void DataExchange::Text(int id, std::string& member) {
    if (!result_.ok) return;
    member = controls_.Text(id);
}

}  // namespace trendfit
