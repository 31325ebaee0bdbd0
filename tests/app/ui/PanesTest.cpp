// The three panes on their own: the output tabs, the data tree and the property grid, each
// driven through the interface the document talks to.

#include <cmath>

#include <QClipboard>
#include <QComboBox>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QtTest>

#include <memory>
#include <vector>

#include "app/core/AppInterfaces.h"
#include "app/ui/ClassView.h"
#include "app/ui/OutputWnd.h"
#include "app/ui/PropertiesWnd.h"
#include "tests/app/ui/UiTestSupport.h"

namespace {

// Stands in for the document and records the curves the tree picks.
class RecordingDoc : public IDataDoc {
public:
    RecordingDoc() { g_pDataDoc = this; }
    ~RecordingDoc() override {
        if (g_pDataDoc == this) g_pDataDoc = nullptr;
    }
    void SelectCurve(int nCurve) override { selected.push_back(nCurve); }
    std::vector<int> selected;
};

// Every row of the grid as "group/name=value|description", depth first.
QStringList GridRows(const CPropertiesWnd& pane) {
    QStringList rows;
    QTreeWidget* grid = pane.Grid();
    for (int i = 0; i < grid->topLevelItemCount(); ++i) {
        QTreeWidgetItem* group = grid->topLevelItem(i);
        rows << group->text(0);
        for (int j = 0; j < group->childCount(); ++j) {
            QTreeWidgetItem* item = group->child(j);
            rows << group->text(0) + "/" + item->text(0) + "=" + item->text(1) + "|" +
                        item->data(0, Qt::UserRole).toString();
        }
    }
    return rows;
}

QStringList ChildNames(const QTreeWidgetItem* group) {
    QStringList names;
    for (int j = 0; group != nullptr && j < group->childCount(); ++j) names << group->child(j)->text(0);
    return names;
}

QTreeWidgetItem* TopItem(const CPropertiesWnd& pane, const QString& name) {
    QTreeWidget* grid = pane.Grid();
    for (int i = 0; i < grid->topLevelItemCount(); ++i) {
        if (grid->topLevelItem(i)->text(0) == name) return grid->topLevelItem(i);
    }
    return nullptr;
}

// A value as the grid shows it: ten significant digits.
QString Shown(double value) { return QString::number(value, 'g', 10); }

// The group "拟合评价" without a curve.
const QStringList kEmptyQuality{"拟合评价", "拟合评价/训练R²=|Trendfit后训练数据的决定系数R²",
                                "拟合评价/测试R²=|Trendfit后测试数据的决定系数R²",
                                "拟合评价/训练RMSE=|Trendfit后训练数据的均方根误差",
                                "拟合评价/测试RMSE=|Trendfit后测试数据的均方根误差"};

}  // namespace

class PanesTest : public QObject {
    Q_OBJECT

private slots:
    // ---- output pane ----

    void outputStartsWithThreeTabsOfThreeLines() {
        COutputWnd pane;
        QCOMPARE(pane.windowTitle(), QString("输出"));
        QTabWidget* tabs = pane.Tabs();
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->tabText(0), QString("信息"));
        QCOMPARE(tabs->tabText(1), QString("调试"));
        QCOMPARE(tabs->tabText(2), QString("结果"));
        QCOMPARE(tabs->tabPosition(), QTabWidget::South);
        QCOMPARE(ui_test::Lines(pane.List(0)),
                 (QStringList{"系统已经启动。", "导入数据文件或创建模拟数据", "开始数据Trendfit拟合计算..."}));
        QCOMPARE(ui_test::Lines(pane.List(1)),
                 (QStringList{"调试输出正显示在此处。", "输出正显示在列表视图的行中",
                              "但您可以根据需要更改其显示方式..."}));
        QCOMPARE(ui_test::Lines(pane.List(2)),
                 (QStringList{"查找输出正显示在此处。", "输出正显示在列表视图的行中",
                              "但您可以根据需要更改其显示方式..."}));
        QVERIFY(pane.List(3) == nullptr);
        QVERIFY(pane.List(-1) == nullptr);
    }

    void messageOnTheInformationTabIsSelected() {
        COutputWnd pane;
        pane.AddMessage(0, "开始计算3次曲线...");
        QCOMPARE(pane.List(0)->count(), 4);
        QCOMPARE(pane.List(0)->currentRow(), 3);
        pane.AddMessage(0, "");
        QCOMPARE(pane.List(0)->count(), 5);
        QCOMPARE(pane.List(0)->item(4)->text(), QString(""));
        QCOMPARE(pane.List(0)->currentRow(), 4);
    }

    void messageOnTheOtherTabsKeepsTheSelection() {
        COutputWnd pane;
        for (int tab : {1, 2}) {
            const int before = pane.List(tab)->currentRow();
            pane.AddMessage(tab, "第四行");
            QCOMPARE(pane.List(tab)->count(), 4);
            QCOMPARE(pane.List(tab)->item(3)->text(), QString("第四行"));
            QCOMPARE(pane.List(tab)->currentRow(), before);
        }
        QCOMPARE(pane.List(0)->count(), 3);
    }

    void messageOnAnUnknownTabIsIgnored() {
        COutputWnd pane;
        for (int tab : {-1, 3, 100}) pane.AddMessage(tab, "x");
        for (int tab : {0, 1, 2}) QCOMPARE(pane.List(tab)->count(), 3);
    }

    void clearEmptiesOnlyItsTab() {
        COutputWnd pane;
        pane.ClearMessages(1);
        QCOMPARE(pane.List(1)->count(), 0);
        QCOMPARE(pane.List(0)->count(), 3);
        QCOMPARE(pane.List(2)->count(), 3);
        pane.ClearMessages(7);
        pane.ClearMessages(-1);
        QCOMPARE(pane.List(0)->count(), 3);
        pane.AddMessage(1, "again");
        QCOMPARE(ui_test::Lines(pane.List(1)), QStringList{"again"});
    }

    void listsFollowTheRegularFont() {
        COutputWnd pane;
        const QFont original = QApplication::font();
        QFont larger = original;
        larger.setPointSizeF(original.pointSizeF() + 5);
        QApplication::setFont(larger);
        QApplication::processEvents();
        for (int tab : {0, 1, 2}) QCOMPARE(pane.List(tab)->font(), QApplication::font());
        QApplication::setFont(original);
        QApplication::processEvents();
        for (int tab : {0, 1, 2}) QCOMPARE(pane.List(tab)->font(), original);
    }

    void paneRegistersAndLeavesTheRegistry() {
        auto first = std::make_unique<COutputWnd>();
        QCOMPARE(g_pOutputMessage, static_cast<IOutputMessage*>(first.get()));
        auto second = std::make_unique<COutputWnd>();
        QCOMPARE(g_pOutputMessage, static_cast<IOutputMessage*>(second.get()));
        // The older pane going away must not unregister the newer one.
        first.reset();
        QCOMPARE(g_pOutputMessage, static_cast<IOutputMessage*>(second.get()));
        second.reset();
        QVERIFY(g_pOutputMessage == nullptr);

        { CClassView tree; QCOMPARE(g_pDataTreeView, static_cast<IDataTreeView*>(&tree)); }
        QVERIFY(g_pDataTreeView == nullptr);
        { CPropertiesWnd grid; QCOMPARE(g_pPropetyChange, static_cast<IPropetyChange*>(&grid)); }
        QVERIFY(g_pPropetyChange == nullptr);
    }

    // ---- data tree ----

    void treeStartsEmptyAndGetsABoldRoot() {
        CClassView pane;
        QCOMPARE(pane.windowTitle(), QString("数据视图"));
        QCOMPARE(pane.Tree()->topLevelItemCount(), 0);
        QCOMPARE(pane.SortCommand(), 145);
        pane.ResetDataTree("模拟数据");
        QCOMPARE(pane.Tree()->topLevelItemCount(), 1);
        QTreeWidgetItem* root = pane.Tree()->topLevelItem(0);
        QCOMPARE(root, pane.Root());
        QCOMPARE(root->text(0), QString("模拟数据"));
        QVERIFY(root->font(0).bold());
        QCOMPARE(root->childCount(), 0);
    }

    void curveItemCarriesItsIndexAndIsChosen() {
        RecordingDoc doc;
        CClassView pane;
        pane.ResetDataTree("文件数据");
        pane.AddCurveItem("3次曲线", 0);
        pane.AddCurveItem("2次曲线(Ridge)", 7);
        QTreeWidgetItem* root = pane.Root();
        QCOMPARE(root->childCount(), 2);
        QVERIFY(root->isExpanded());
        QCOMPARE(root->child(1)->text(0), QString("2次曲线(Ridge)"));
        QCOMPARE(root->child(1)->data(0, Qt::UserRole).toInt(), 7);
        QVERIFY(!root->child(1)->font(0).bold());
        QCOMPARE(pane.Tree()->currentItem(), root->child(1));
        // Selecting an added item reports its curve, as the user's choice would.
        QCOMPARE(doc.selected, (std::vector<int>{0, 7}));

        pane.Tree()->setCurrentItem(root->child(0));
        QCOMPARE(doc.selected, (std::vector<int>{0, 7, 0}));
    }

    void choosingTheRootOrAWordChangesNothing() {
        RecordingDoc doc;
        CClassView pane;
        pane.ResetDataTree("模拟数据");
        pane.AddCurveItem("4次曲线(Lasso)", 3);
        doc.selected.clear();
        pane.Tree()->setCurrentItem(pane.Root());
        QVERIFY(doc.selected.empty());
        // Only a text that starts with a number names a curve; the item data is what counts.
        pane.AddCurveItem("曲线5", 5);
        QVERIFY(doc.selected.empty());
        pane.AddCurveItem(" 12次曲线", 9);
        QCOMPARE(doc.selected, std::vector<int>{9});
    }

    void choosingWithoutADocumentIsSkipped() {
        QVERIFY(g_pDataDoc == nullptr);
        CClassView pane;
        pane.ResetDataTree("模拟数据");
        pane.AddCurveItem("1次曲线", 0);
        QCOMPARE(pane.Root()->childCount(), 1);
    }

    void resetRemovesTheOldTreeQuietly() {
        RecordingDoc doc;
        CClassView pane;
        pane.ResetDataTree("模拟数据");
        pane.AddCurveItem("1次曲线", 0);
        pane.AddCurveItem("2次曲线", 1);
        doc.selected.clear();
        pane.ResetDataTree("文件数据");
        QCOMPARE(pane.Tree()->topLevelItemCount(), 1);
        QCOMPARE(pane.Root()->text(0), QString("文件数据"));
        QCOMPARE(pane.Root()->childCount(), 0);
        QVERIFY(doc.selected.empty());
    }

    void curveItemBeforeAnyRootIsDropped() {
        RecordingDoc doc;
        CClassView pane;
        pane.AddCurveItem("1次曲线", 0);
        QCOMPARE(pane.Tree()->topLevelItemCount(), 0);
        QVERIFY(doc.selected.empty());
    }

    void rightClickChoosesTheItemUnderThePointer() {
        RecordingDoc doc;
        CClassView pane;
        pane.resize(300, 400);
        pane.show();
        pane.ResetDataTree("模拟数据");
        pane.AddCurveItem("1次曲线", 4);
        pane.AddCurveItem("2次曲线", 6);
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        doc.selected.clear();
        QTreeWidgetItem* first = pane.Root()->child(0);
        const QPoint where = pane.Tree()->visualItemRect(first).center();
        QTest::mouseClick(pane.Tree()->viewport(), Qt::RightButton, {}, where);
        QCOMPARE(pane.Tree()->currentItem(), first);
        QCOMPARE(doc.selected, std::vector<int>{4});
    }

    void sortMenuListsItsFourCommands() {
        CClassView pane;
        QToolButton* button = nullptr;
        for (QToolButton* b : pane.findChildren<QToolButton*>()) {
            if (b->menu() != nullptr) button = b;
        }
        QVERIFY(button != nullptr);
        QStringList texts;
        QList<int> ids;
        for (QAction* action : button->menu()->actions()) {
            texts << action->text();
            ids << action->data().toInt();
        }
        QCOMPARE(texts, (QStringList{"按字母顺序排序(&S)", "按类型排序(&T)", "按访问排序(&E)", "按类型分组(&Y)"}));
        QCOMPARE(ids, (QList<int>{146, 147, 148, 145}));
        // The initial choice is grouping by type; choosing another moves the mark and the image.
        QCOMPARE(button->menu()->actions().at(3)->isChecked(), true);
        QCOMPARE(button->icon().cacheKey(), button->menu()->actions().at(3)->icon().cacheKey());
        button->menu()->actions().at(1)->trigger();
        QCOMPARE(pane.SortCommand(), 147);
        QVERIFY(button->menu()->actions().at(1)->isChecked());
        QVERIFY(!button->menu()->actions().at(3)->isChecked());
        QCOMPARE(button->icon().cacheKey(), button->menu()->actions().at(1)->icon().cacheKey());
    }

    void sortingOnlyRecordsTheChoice() {
        CClassView pane;
        pane.ResetDataTree("模拟数据");
        pane.AddCurveItem("3次曲线", 0);
        pane.AddCurveItem("1次曲线", 1);
        pane.OnSort(CClassView::ID_SORTING_SORTALPHABETIC);
        QCOMPARE(pane.SortCommand(), 146);
        QCOMPARE(pane.Root()->child(0)->text(0), QString("3次曲线"));
        QCOMPARE(pane.Root()->child(1)->text(0), QString("1次曲线"));
    }

    // ---- property grid ----

    void gridStartsWithItsGroupsAndItems() {
        CPropertiesWnd pane;
        QCOMPARE(pane.windowTitle(), QString("属性"));
        QVERIFY(pane.Grid()->isHeaderHidden());
        QCOMPARE(GridRows(pane),
                 (QStringList{"数据", "数据/文件=否|指定数据来源是否是文件", "数据/文件名=|指定导入数据的文件名",
                              "数据数量", "数据数量/训练数据=0|训练数据的数量",
                              "数据数量/测试数据=0|测试数据的数量", "Trendfit",
                              "Trendfit/训练方差=|Trendfit后对训练数据的方差值",
                              "Trendfit/测试方差=|Trendfit后对测试数据的方差值"} +
                  kEmptyQuality));
        QVERIFY(!TopItem(pane, "Trendfit")->isExpanded());
        QVERIFY(!TopItem(pane, "拟合评价")->isExpanded());
        // Only the Trendfit values can be edited.
        for (const char* group : {"数据", "数据数量"}) {
            QTreeWidgetItem* g = TopItem(pane, group);
            for (int j = 0; j < g->childCount(); ++j) QVERIFY(!(g->child(j)->flags() & Qt::ItemIsEditable));
        }
        QVERIFY(TopItem(pane, "Trendfit")->child(0)->flags() & Qt::ItemIsEditable);
    }

    void gridHasTheListAboveIt() {
        CPropertiesWnd pane;
        auto* combo = pane.findChild<QComboBox*>();
        QVERIFY(combo != nullptr);
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->itemText(0), QString("应用程序"));
        QCOMPARE(combo->itemText(1), QString("属性窗口"));
        QCOMPARE(combo->currentIndex(), 0);
        // Choosing the other entry changes nothing in the grid.
        const QStringList before = GridRows(pane);
        combo->setCurrentIndex(1);
        QCOMPARE(GridRows(pane), before);
    }

    void choosingAnItemShowsItsDescription() {
        CPropertiesWnd pane;
        pane.Grid()->setCurrentItem(TopItem(pane, "数据")->child(0));
        QVERIFY(pane.Description().contains("文件"));
        QVERIFY(pane.Description().contains("指定数据来源是否是文件"));
    }

    void setPropertyValueSetsTheFirstMatchOnly() {
        CPropertiesWnd pane;
        pane.SetPropertyValue("文件名", "/data/a.csv");
        pane.SetPropertyValue("文件", "是");
        pane.SetPropertyValue("测试方差", "0.5");
        QCOMPARE(pane.Value("数据", "文件名"), QString("/data/a.csv"));
        QCOMPARE(pane.Value("数据", "文件"), QString("是"));
        QCOMPARE(pane.Value("Trendfit", "测试方差"), QString("0.5"));
        QCOMPARE(pane.Value("Trendfit", "训练方差"), QString(""));

        // A name that appears twice: only the first receives the value.
        TopItem(pane, "Trendfit")->child(0)->setText(0, "文件");
        pane.SetPropertyValue("文件", "两次");
        QCOMPARE(pane.Value("数据", "文件"), QString("两次"));
        QCOMPARE(TopItem(pane, "Trendfit")->child(0)->text(1), QString(""));
    }

    void setPropertyValueWithAnUnknownNameChangesNothing() {
        CPropertiesWnd pane;
        const QStringList before = GridRows(pane);
        for (const char* name : {"不存在", "", "数据", "Trendfit", "文件 ", "l1", "trendfit"}) {
            pane.SetPropertyValue(name, "changed");
            QCOMPARE(GridRows(pane), before);
        }
    }

    void changedValuesAreShownInBold() {
        CPropertiesWnd pane;
        auto item = [&](const char* group, int row) { return TopItem(pane, group)->child(row); };
        for (const char* group : {"数据", "数据数量", "Trendfit"}) {
            for (int j = 0; j < TopItem(pane, group)->childCount(); ++j) QVERIFY(!item(group, j)->font(1).bold());
        }
        pane.SetPropertyValue("文件", "是");
        pane.SetDataCount(0, 7);
        QVERIFY(item("数据", 0)->font(1).bold());
        QVERIFY(!item("数据", 1)->font(1).bold());
        QVERIFY(!item("数据数量", 0)->font(1).bold());
        QVERIFY(item("数据数量", 1)->font(1).bold());
        // Back at the first value, the mark goes.
        pane.SetPropertyValue("文件", "否");
        QVERIFY(!item("数据", 0)->font(1).bold());

        // A rebuilt curve group starts unmarked; an edit in the grid marks its item.
        CurveResult curve;
        curve.coefficients = {1.0, 2.0};
        pane.ShowCurve(curve);
        QTreeWidgetItem* x1 = item("Trendfit", 5);
        QCOMPARE(x1->text(0), QString("X1"));
        QVERIFY(!x1->font(1).bold());
        x1->setText(1, "2.5");
        QVERIFY(x1->font(1).bold());
    }

    void dataCountShowsBothCounts() {
        CPropertiesWnd pane;
        pane.SetDataCount(800, 200);
        QCOMPARE(pane.Value("数据数量", "训练数据"), QString("800"));
        QCOMPARE(pane.Value("数据数量", "测试数据"), QString("200"));
        pane.SetDataCount(0, -1);
        QCOMPARE(pane.Value("数据数量", "训练数据"), QString("0"));
        QCOMPARE(pane.Value("数据数量", "测试数据"), QString("-1"));
        QCOMPARE(pane.Value("数据", "文件"), QString("否"));
    }

    void showCurveRebuildsTheTrendfitGroup() {
        CPropertiesWnd pane;
        CurveResult curve;
        curve.coefficients = {0.25, -1.5, 3.0};
        curve.trainError = 0.0123456789;
        curve.testError = 2.5;
        curve.lambdaL1 = 0.0;
        curve.lambdaL2 = 0.75;
        curve.trainQuality = {0.987654321012, 0.125};
        curve.testQuality = {-0.5, std::nan("")};
        pane.ShowCurve(curve);
        QTreeWidgetItem* group = TopItem(pane, "Trendfit");
        QVERIFY(group != nullptr);
        QCOMPARE(pane.Grid()->indexOfTopLevelItem(group), 2);
        QVERIFY(group->isExpanded());
        QCOMPARE(GridRows(pane).mid(6),
                 (QStringList{"Trendfit", "Trendfit/L1=" + Shown(0.0) + "|TrendfitLasso参数",
                              "Trendfit/L2=" + Shown(0.75) + "|TrendfitRidge参数",
                              "Trendfit/训练方差=" + Shown(0.0123456789) + "|Trendfit后对训练数据的方差值",
                              "Trendfit/测试方差=" + Shown(2.5) + "|Trendfit后对测试数据的方差值",
                              "Trendfit/X0=" + Shown(0.25) + "|多项式系数",
                              "Trendfit/X1=" + Shown(-1.5) + "|多项式系数",
                              "Trendfit/X2=" + Shown(3.0) + "|多项式系数", "拟合评价",
                              "拟合评价/训练R²=0.987654321|Trendfit后训练数据的决定系数R²",
                              "拟合评价/测试R²=-0.5|Trendfit后测试数据的决定系数R²",
                              "拟合评价/训练RMSE=0.125|Trendfit后训练数据的均方根误差",
                              "拟合评价/测试RMSE=nan|Trendfit后测试数据的均方根误差"}));
        QVERIFY(TopItem(pane, "拟合评价")->isExpanded());

        // Small and large coefficients keep their digits.
        curve.coefficients = {3e-9, -4.5e-13, 123456.789012345};
        pane.ShowCurve(curve);
        QCOMPARE(pane.Value("Trendfit", "X0"), QString("3e-09"));
        QCOMPARE(pane.Value("Trendfit", "X1"), QString("-4.5e-13"));
        QCOMPARE(pane.Value("Trendfit", "X2"), QString("123456.789"));
        QCOMPARE(TopItem(pane, "Trendfit")->child(5)->toolTip(1), QString("-4.5e-13"));
        QCOMPARE(pane.Value("Trendfit", "L2"), QString("0.75"));

        // A shorter curve replaces the group, it does not add to it.
        curve.coefficients = {1.0};
        pane.ShowCurve(curve);
        QCOMPARE(ChildNames(TopItem(pane, "Trendfit")),
                 (QStringList{"L1", "L2", "训练方差", "测试方差", "X0"}));
        QCOMPARE(pane.Grid()->topLevelItemCount(), 4);
        QCOMPARE(pane.Grid()->indexOfTopLevelItem(TopItem(pane, "拟合评价")), 3);
    }

    void showCurveWithoutATrendfitGroupChangesNothing() {
        CPropertiesWnd pane;
        delete TopItem(pane, "Trendfit");
        const QStringList before = GridRows(pane);
        CurveResult curve;
        curve.coefficients = {1.0, 2.0};
        pane.ShowCurve(curve);
        QCOMPARE(GridRows(pane), before);
    }

    void clearCurveEmptiesTheTrendfitGroup() {
        CPropertiesWnd pane;
        const QStringList start = GridRows(pane);
        CurveResult curve;
        curve.coefficients = {1.0, 2.0};
        curve.trainError = 0.5;
        pane.ShowCurve(curve);
        pane.SetDataCount(8, 2);
        pane.ClearCurve();
        // The group is as the grid started: no values of the dropped curve are left.
        QCOMPARE(GridRows(pane).mid(6), start.mid(6));
        QVERIFY(!TopItem(pane, "Trendfit")->isExpanded());
        QVERIFY(!TopItem(pane, "拟合评价")->isExpanded());
        QCOMPARE(pane.Value("数据数量", "训练数据"), QString("8"));
        // Without the group there is nothing to empty.
        delete TopItem(pane, "Trendfit");
        const QStringList before = GridRows(pane);
        pane.ClearCurve();
        QCOMPARE(GridRows(pane), before);
    }

    void gridMenuCopiesTheChosenValue() {
        CPropertiesWnd pane;
        CurveResult curve;
        curve.coefficients = {3e-9, 2.0};
        pane.ShowCurve(curve);
        QTreeWidgetItem* x0 = TopItem(pane, "Trendfit")->child(4);
        QCOMPARE(x0->text(0), QString("X0"));
        QApplication::clipboard()->clear();
        pane.Grid()->setCurrentItem(x0);
        std::unique_ptr<QMenu> menu(pane.CreateContextMenu());
        QCOMPARE(menu->actions().size(), 1);
        QAction* copy = menu->actions().first();
        QCOMPARE(copy->text(), QString("复制"));
        QVERIFY(copy->isEnabled());
        copy->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QString("3e-09"));

        // Ctrl+C in the grid does the same; an item without a value offers nothing.
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.Grid()->setFocus();
        pane.Grid()->setCurrentItem(TopItem(pane, "Trendfit")->child(5));
        QTest::keyClick(pane.Grid(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QString("2"));
        pane.Grid()->setCurrentItem(TopItem(pane, "数据")->child(1));  // "文件名", empty
        menu.reset(pane.CreateContextMenu());
        QVERIFY(!menu->actions().first()->isEnabled());
    }
};

QTEST_MAIN(PanesTest)
#include "PanesTest.moc"
