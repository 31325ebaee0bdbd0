#include "app/ui/PropertiesWnd.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/core/TextFormat.h"

namespace {

// The group after "Trendfit" with R² and RMSE of the current curve.
const QString kQualityGroup = QStringLiteral("拟合评价");

constexpr int kDescriptionRole = Qt::UserRole;
constexpr int kEditableRole = Qt::UserRole + 1;
constexpr int kValueListRole = Qt::UserRole + 2;
constexpr int kGroupRole = Qt::UserRole + 3;
constexpr int kOriginalRole = Qt::UserRole + 4;

// A value that differs from the one the item was created with is shown in bold.
void MarkModified(QTreeWidgetItem* item) {
    const QVariant original = item->data(1, kOriginalRole);
    if (!original.isValid()) return;
    const bool modified = item->text(1) != original.toString();
    if (item->font(1).bold() == modified) return;
    QFont font = item->font(1);
    font.setBold(modified);
    item->setFont(1, font);
}

bool IsGroup(const QTreeWidgetItem* item) { return item->data(0, kGroupRole).toBool(); }

}  // namespace

CPropertiesWnd::CPropertiesWnd(QWidget* parent) : QDockWidget("属性", parent) {
    setObjectName("PropertiesWnd");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_combo = new QComboBox(body);
    m_combo->addItems({"应用程序", "属性窗口"});
    m_combo->setCurrentIndex(0);
    layout->addWidget(m_combo);

    auto* toolbar = new QToolBar(body);
    toolbar->setIconSize(QSize(16, 16));
    layout->addWidget(toolbar);

    m_grid = new QTreeWidget(body);
    m_grid->setColumnCount(2);
    m_grid->setHeaderHidden(true);
    // Names are short and must read whole ("训练R²" beside "训练RMSE"); a value too long
    // for the rest shows whole in its tooltip.
    m_grid->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_grid->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    layout->addWidget(m_grid, 1);

    m_description = new QLabel(body);
    m_description->setWordWrap(true);
    m_description->setFrameShape(QFrame::StyledPanel);
    m_description->setMinimumHeight(48);
    m_description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_description);
    setWidget(body);

    toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowDown), "全部展开",
                       m_grid, &QTreeWidget::expandAll);
    toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowUp), "全部折叠",
                       m_grid, &QTreeWidget::collapseAll);

    QTreeWidgetItem* data = AddGroup("数据", false);
    AddItem(data, "文件", "否", "指定数据来源是否是文件", false);
    AddItem(data, "文件名", "", "指定导入数据的文件名", false);
    QTreeWidgetItem* counts = AddGroup("数据数量", true);
    AddItem(counts, "训练数据", "0", "训练数据的数量", false);
    AddItem(counts, "测试数据", "0", "测试数据的数量", false);
    data->setExpanded(true);
    counts->setExpanded(true);
    AddEmptyCurveGroup();

    auto* copy = new QAction("复制", m_grid);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    connect(copy, &QAction::triggered, this, &CPropertiesWnd::CopyValue);
    m_grid->addAction(copy);
    m_grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grid, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QTreeWidgetItem* item = m_grid->itemAt(pos)) m_grid->setCurrentItem(item);
        QMenu* menu = CreateContextMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_grid->viewport()->mapToGlobal(pos));
    });

    connect(m_grid, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { ShowDescription(item); });
    // A value the user edits in the grid is marked like one the program changes.
    connect(m_grid, &QTreeWidget::itemChanged, this, [](QTreeWidgetItem* item, int column) {
        if (column == 1) MarkModified(item);
    });
    connect(m_grid, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->data(0, kEditableRole).toBool()) m_grid->editItem(item, 1);
    });
    g_pPropetyChange = this;
}

CPropertiesWnd::~CPropertiesWnd() {
    if (g_pPropetyChange == this) g_pPropetyChange = nullptr;
}

QTreeWidgetItem* CPropertiesWnd::AddGroup(const QString& name, bool valueList) {
    auto* group = new QTreeWidgetItem(m_grid, {name});
    QFont bold = group->font(0);
    bold.setBold(true);
    group->setFont(0, bold);
    group->setFirstColumnSpanned(!valueList);
    group->setData(0, kGroupRole, true);
    group->setData(0, kValueListRole, valueList);
    return group;
}

void CPropertiesWnd::AddEmptyCurveGroup() {
    QTreeWidgetItem* fit = AddGroup("Trendfit", false);
    AddItem(fit, "训练方差", "", "Trendfit后对训练数据的方差值", true);
    AddItem(fit, "测试方差", "", "Trendfit后对测试数据的方差值", true);
    fit->setExpanded(false);
    ShowQuality(nullptr);
}

void CPropertiesWnd::ShowQuality(const CurveResult* curve) {
    delete FindGroup(kQualityGroup);
    QTreeWidgetItem* group = AddGroup(kQualityGroup, false);
    for (const trendfit::PropertyRow& row : trendfit::QualityPropertyRows(curve != nullptr ? *curve : CurveResult())) {
        AddItem(group, QString::fromStdString(row.name), curve != nullptr ? QString::fromStdString(row.value) : QString(),
                QString::fromStdString(row.description), false);
    }
    group->setExpanded(curve != nullptr);
}

QTreeWidgetItem* CPropertiesWnd::AddItem(QTreeWidgetItem* group, const QString& name,
                                         const QString& value, const QString& description,
                                         bool editable) {
    auto* item = new QTreeWidgetItem(group, {name});
    item->setData(0, kDescriptionRole, description);
    item->setData(0, kEditableRole, editable);
    if (editable) item->setFlags(item->flags() | Qt::ItemIsEditable);
    SetValue(item, value);
    item->setData(1, kOriginalRole, value);
    return item;
}

void CPropertiesWnd::SetValue(QTreeWidgetItem* item, const QString& value) {
    item->setText(1, value);
    // A narrow pane elides long values; the tooltip shows them whole.
    item->setToolTip(1, value);
    MarkModified(item);
    // A value-list group shows its items' values side by side.
    QTreeWidgetItem* group = item->parent();
    if (group != nullptr && group->data(0, kValueListRole).toBool()) {
        QStringList values;
        for (int i = 0; i < group->childCount(); ++i) values << group->child(i)->text(1);
        group->setText(1, values.join(", "));
    }
}

QTreeWidgetItem* CPropertiesWnd::FindGroup(const QString& name) const {
    for (int i = 0; i < m_grid->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_grid->topLevelItem(i);
        if (IsGroup(item) && item->text(0) == name) return item;
    }
    return nullptr;
}

void CPropertiesWnd::SetPropertyValue(const std::string& strName, const std::string& strValue) {
    const QString name = QString::fromStdString(strName);
    const QString value = QString::fromStdString(strValue);
    for (int i = 0; i < m_grid->topLevelItemCount(); ++i) {
        QTreeWidgetItem* top = m_grid->topLevelItem(i);
        if (!IsGroup(top)) {
            if (top->text(0) == name) SetValue(top, value);
            continue;
        }
        for (int j = 0; j < top->childCount(); ++j) {
            if (top->child(j)->text(0) == name) {
                SetValue(top->child(j), value);
                return;
            }
        }
    }
}

void CPropertiesWnd::SetDataCount(int nTrain, int nTest) {
    QTreeWidgetItem* counts = FindGroup("数据数量");
    if (counts == nullptr) return;
    for (int j = 0; j < counts->childCount(); ++j) {
        QTreeWidgetItem* item = counts->child(j);
        if (item->text(0) == "训练数据") SetValue(item, QString::fromStdString(trendfit::FormatInt(nTrain)));
        if (item->text(0) == "测试数据") SetValue(item, QString::fromStdString(trendfit::FormatInt(nTest)));
    }
}

void CPropertiesWnd::ShowCurve(const CurveResult& curve) {
    QTreeWidgetItem* old = FindGroup("Trendfit");
    if (old == nullptr) return;
    delete old;
    QTreeWidgetItem* group = AddGroup("Trendfit", false);
    for (const trendfit::PropertyRow& row : trendfit::CurvePropertyRows(curve)) {
        AddItem(group, QString::fromStdString(row.name), QString::fromStdString(row.value),
                QString::fromStdString(row.description), true);
    }
    group->setExpanded(true);
    ShowQuality(&curve);
    ShowDescription(m_grid->currentItem());
}

void CPropertiesWnd::ClearCurve() {
    QTreeWidgetItem* old = FindGroup("Trendfit");
    if (old == nullptr) return;
    delete old;
    AddEmptyCurveGroup();
    ShowDescription(m_grid->currentItem());
}

QString CPropertiesWnd::ChosenValue() const {
    const QTreeWidgetItem* item = m_grid->currentItem();
    return item != nullptr ? item->text(1) : QString();
}

QMenu* CPropertiesWnd::CreateContextMenu() {
    auto* menu = new QMenu(this);
    QAction* copy = menu->addAction("复制", this, &CPropertiesWnd::CopyValue);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!ChosenValue().isEmpty());
    return menu;
}

void CPropertiesWnd::CopyValue() {
    const QString value = ChosenValue();
    if (!value.isEmpty()) QApplication::clipboard()->setText(value);
}

QString CPropertiesWnd::Value(const QString& groupName, const QString& name) const {
    QTreeWidgetItem* group = FindGroup(groupName);
    if (group == nullptr) return {};
    for (int j = 0; j < group->childCount(); ++j) {
        if (group->child(j)->text(0) == name) return group->child(j)->text(1);
    }
    return {};
}

QString CPropertiesWnd::Description() const { return m_description->text(); }

void CPropertiesWnd::ShowDescription(QTreeWidgetItem* item) {
    if (item == nullptr) {
        m_description->clear();
        return;
    }
    m_description->setText(QString("<b>%1</b><br>%2")
                               .arg(item->text(0).toHtmlEscaped(),
                                    item->data(0, kDescriptionRole).toString().toHtmlEscaped()));
}
