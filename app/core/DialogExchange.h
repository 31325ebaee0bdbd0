#pragma once

// Data exchange between a dialog's controls and its model's members, with range checks.
// The Qt dialog hands over the state of its controls by control id; the model walks its
// fields in its exchange order, parses and checks each, and copies it into its member. The
// first field that fails stops the walk: the fields before it are already copied, it and
// the fields after it keep their previous values, and the result names the failing control
// and the message to show before the dialog stays open with that field focused.

#include <map>
#include <string>

namespace trendfit {

// The state of a dialog's controls, keyed by control id.
struct DialogControls {
    // The text of each edit box.
    std::map<int, std::string> texts;
    // The chosen index of each radio group (keyed by the id of its first button; -1 when no
    // button is chosen) and the state of each check box (0 clear, 1 set).
    std::map<int, int> values;

    // The edit text of control id, empty when it is absent.
    std::string Text(int id) const;
    // The value of control id, -1 when it is absent.
    int Value(int id) const;
};

// The outcome of copying controls into members.
struct ExchangeResult {
    bool ok = true;
    int failedControl = 0;  // id of the first control that failed
    std::string message;    // what to tell the user about it
};

// Messages of the exchange (the window framework's standard texts).
extern const char* const kParseIntMessage;   // "请输入一个整数。"
extern const char* const kParseRealMessage;  // "请输入一个数字。"
// "请输入一个介于 %d 和 %d 之间的整数。"
std::string IntRangeMessage(int minValue, int maxValue);
// "请输入一个介于 <min> 和 <max> 之间的数字。", the bounds as "%.15g" (doubles) or "%.6g"
// (floats, significantDigits 6).
std::string RealRangeMessage(double minValue, double maxValue, int significantDigits);

// Texts the edit boxes show for a member: "%d", "%.15g" for a double, "%.6g" for a float.
std::string IntText(int value);
std::string DoubleText(double value);
std::string FloatText(float value);

// Parsers of edit texts. Blanks and tabs around the number are allowed; anything else that
// is not part of the number, an empty text, a value outside the type's range, and
// infinities or not-a-number are refused. Numbers use '.' whatever the process locale.
bool ParseInt(const std::string& text, int& value);
bool ParseDouble(const std::string& text, double& value);
bool ParseFloat(const std::string& text, float& value);

// Walks the fields of one exchange in order; after the first failure every later call
// does nothing.
class DataExchange {
public:
    explicit DataExchange(const DialogControls& controls) : controls_(controls) {}

    // Integer edit with an inclusive range.
    void Int(int id, int& member, int minValue, int maxValue);
    // Double edit, no range check.
    void Double(int id, double& member);
    // Double edit with an inclusive range.
    void Double(int id, double& member, double minValue, double maxValue);
    // Float edit with an inclusive range.
    void Float(int id, float& member, float minValue, float maxValue);
    // Radio group or check box: the value is copied as it stands.
    void Choice(int id, int& member);
    // Edit text copied as it stands.
    void Text(int id, std::string& member);

    const ExchangeResult& Result() const { return result_; }

private:
    void Fail(int id, std::string message);

    const DialogControls& controls_;
    ExchangeResult result_;
};

}  // namespace trendfit
