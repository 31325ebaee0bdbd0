#pragma once

#include <QDialog>

class QPushButton;

// The about box "关于 Trendfit": icon, version line, three further lines, "访问官网"
// (opens the home page in the default browser, the box stays open) and "确定" (default).
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QPushButton* visitButton() const { return m_visit; }
    QPushButton* okButton() const { return m_ok; }

    // The address "访问官网" opens: settings value "HomePage", else the built-in default.
    static QString HomePage();

private:
    QPushButton* m_visit;
    QPushButton* m_ok;
};
