#include "app/ui/ClassView.h"

#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace {

struct SortEntry {
    int id;
    const char* text;
    QStyle::StandardPixmap icon;
};

const SortEntry kSortEntries[] = {
    {CClassView::ID_SORTING_SORTALPHABETIC, "按字母顺序排序(&S)", QStyle::SP_FileDialogListView},
    {CClassView::ID_SORTING_SORTBYTYPE, "按类型排序(&T)", QStyle::SP_FileDialogDetailedView},
    {CClassView::ID_SORTING_SORTBYACCESS, "按访问排序(&E)", QStyle::SP_FileDialogInfoView},
    {CClassView::ID_SORTING_GROUPBYTYPE, "按类型分组(&Y)", QStyle::SP_FileDialogContentsView},
};

// A right click selects the item under the pointer before anything else happens.
class CViewTree : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::RightButton) {
            if (QTreeWidgetItem* item = itemAt(event->pos())) setCurrentItem(item);
            setFocus();
            return;
        }
        QTreeWidget::mousePressEvent(event);
    }
};

}  // namespace

CClassView::CClassView(QWidget* parent) : QDockWidget("数据视图", parent) {
    setObjectName("ClassView");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    auto* toolbar = new QToolBar(body);
    toolbar->setIconSize(QSize(16, 16));
    m_sortButton = new QToolButton(toolbar);
    m_sortButton->setPopupMode(QToolButton::InstantPopup);
    auto* sortMenu = new QMenu(m_sortButton);
    for (const SortEntry& entry : kSortEntries) {
        QAction* action = sortMenu->addAction(style()->standardIcon(entry.icon),
                                              QString::fromUtf8(entry.text));
        action->setCheckable(true);
        action->setData(entry.id);
        connect(action, &QAction::triggered, this, [this, id = entry.id] { OnSort(id); });
    }
    m_sortButton->setMenu(sortMenu);
    toolbar->addWidget(m_sortButton);
    layout->addWidget(toolbar);

    m_tree = new CViewTree(body);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setFrameShape(QFrame::Box);
    m_tree->setFrameShadow(QFrame::Plain);
    layout->addWidget(m_tree);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnSelectionChanged(current); });
    setWidget(body);

    OnSort(m_nCurrSort);
    g_pDataTreeView = this;
}

CClassView::~CClassView() {
    if (g_pDataTreeView == this) g_pDataTreeView = nullptr;
}

void CClassView::OnSort(int id) {
    m_nCurrSort = id;
    for (QAction* action : m_sortButton->menu()->actions()) {
        const bool chosen = action->data().toInt() == id;
        action->setChecked(chosen);
        if (chosen) m_sortButton->setIcon(action->icon());
    }
}

void CClassView::ResetDataTree(const std::string& strRoot) {
    const QSignalBlocker quiet(m_tree);  // emptying the tree is not a user's choice
    m_tree->clear();
    m_root = new QTreeWidgetItem(m_tree, {QString::fromStdString(strRoot)});
    m_root->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    QFont bold = m_root->font(0);
    bold.setBold(true);
    m_root->setFont(0, bold);
}

void CClassView::AddCurveItem(const std::string& strName, int nCurve) {
    if (m_root == nullptr) return;
    auto* item = new QTreeWidgetItem(m_root, {QString::fromStdString(strName)});
    item->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
    item->setData(0, Qt::UserRole, nCurve);
    m_root->setExpanded(true);
    m_tree->setCurrentItem(item);
}

void CClassView::OnSelectionChanged(QTreeWidgetItem* item) {
    if (item == nullptr) return;
    // Curve items begin with their degree ("3次曲线(Ridge)"); the root's text has no number.
    int degree = 0;
    const QByteArray text = item->text(0).toUtf8();
    if (std::sscanf(text.constData(), "%d", &degree) != 1) return;
    if (g_pDataDoc != nullptr) g_pDataDoc->SelectCurve(item->data(0, Qt::UserRole).toInt());
}
