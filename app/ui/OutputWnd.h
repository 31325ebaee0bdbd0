#pragma once

// The output pane "输出": three tabs of lines, "信息", "调试" and "结果", at the bottom.

#include <QDockWidget>

#include "app/core/AppInterfaces.h"

class QListWidget;
class QTabWidget;

class COutputWnd : public QDockWidget, public IOutputMessage {
    Q_OBJECT
public:
    // Creates the tabs with their first lines and registers as g_pOutputMessage.
    explicit COutputWnd(QWidget* parent = nullptr);
    // Leaves the registry when it is the registered pane, so no caller reaches a dead pane.
    ~COutputWnd() override;

    void AddMessage(int nTab, const std::string& strText) override;
    void ClearMessages(int nTab) override;

    QTabWidget* Tabs() const { return m_tabs; }
    QListWidget* List(int nTab) const;
    // Re-applies the regular font to the three lists (after a look change).
    void UpdateFonts();

protected:
    bool event(QEvent* event) override;

private:
    QTabWidget* m_tabs;
    QListWidget* m_lists[3];
};
