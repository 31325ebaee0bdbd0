#include "app/ui/OutputWnd.h"

#include <QApplication>
#include <QListWidget>
#include <QTabWidget>

namespace {

struct TabText {
    const char* caption;
    const char* lines[3];
};

const TabText kTabs[3] = {
    {"信息", {"系统已经启动。", "导入数据文件或创建模拟数据", "开始数据Trendfit拟合计算..."}},
    {"调试", {"调试输出正显示在此处。", "输出正显示在列表视图的行中", "但您可以根据需要更改其显示方式..."}},
    {"结果", {"查找输出正显示在此处。", "输出正显示在列表视图的行中", "但您可以根据需要更改其显示方式..."}},
};

}  // namespace

COutputWnd::COutputWnd(QWidget* parent) : QDockWidget("输出", parent) {
    setObjectName("OutputWnd");
    m_tabs = new QTabWidget(this);
    m_tabs->setTabPosition(QTabWidget::South);
    m_tabs->setDocumentMode(true);
    for (int i = 0; i < 3; ++i) {
        m_lists[i] = new QListWidget(m_tabs);
        m_lists[i]->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_lists[i]->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        // Small enough for the pane's initial height of 100 pixels.
        m_lists[i]->setMinimumHeight(16);
        for (const char* line : kTabs[i].lines) m_lists[i]->addItem(QString::fromUtf8(line));
        m_tabs->addTab(m_lists[i], QString::fromUtf8(kTabs[i].caption));
    }
    UpdateFonts();
    setWidget(m_tabs);
    g_pOutputMessage = this;
}

COutputWnd::~COutputWnd() {
    if (g_pOutputMessage == this) g_pOutputMessage = nullptr;
}

QListWidget* COutputWnd::List(int nTab) const {
    return nTab >= 0 && nTab < 3 ? m_lists[nTab] : nullptr;
}

void COutputWnd::AddMessage(int nTab, const std::string& strText) {
    QListWidget* list = List(nTab);
    if (list == nullptr) return;
    list->addItem(QString::fromStdString(strText));
    // The information tab follows its newest line.
    if (nTab == 0) list->setCurrentRow(list->count() - 1);
}

void COutputWnd::ClearMessages(int nTab) {
    if (QListWidget* list = List(nTab)) list->clear();
}

void COutputWnd::UpdateFonts() {
    for (QListWidget* list : m_lists) list->setFont(QApplication::font());
}

bool COutputWnd::event(QEvent* event) {
    // The lists hold the regular font as their own, so a new system font must reach them.
    if (event->type() == QEvent::ApplicationFontChange) UpdateFonts();
    return QDockWidget::event(event);
}
