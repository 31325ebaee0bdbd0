// The application shell through the real main frame: looks and their persistence, menus,
// toolbar, status bar prompts, panes and the about box.

#include <QAction>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDockWidget>
#include <QFile>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QtTest>

#include <set>

#include "app/core/TrendfitDoc.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/AppLook.h"
#include "app/ui/ClassView.h"
#include "app/ui/Commands.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OutputWnd.h"
#include "app/ui/PropertiesWnd.h"
#include "app/ui/TrendfitApp.h"
#include "app/ui/TrendfitView.h"
#include "tests/app/ui/UiTestSupport.h"

using namespace trendfit;

namespace {

// The menu bar's top menu with this title, or null.
QMenu* TopMenu(CMainFrame* frame, const QString& title) {
    for (QAction* action : frame->menuBar()->actions()) {
        if (action->text() == title) return action->menu();
    }
    return nullptr;
}

QMenu* SubMenu(QMenu* menu, const QString& title) {
    for (QAction* action : menu == nullptr ? QList<QAction*>() : menu->actions()) {
        if (action->text() == title) return action->menu();
    }
    return nullptr;
}

QAction* Item(QMenu* menu, const QString& text) {
    for (QAction* action : menu == nullptr ? QList<QAction*>() : menu->actions()) {
        if (action->text() == text) return action;
    }
    return nullptr;
}

// Texts of a menu's entries in order; separators are "-".
QStringList Texts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu == nullptr ? QList<QAction*>() : menu->actions()) {
        texts << (action->isSeparator() ? QString("-") : action->text());
    }
    return texts;
}

QMenu* LookMenu(CMainFrame* frame) { return SubMenu(TopMenu(frame, "视图(&V)"), "应用程序外观(&A)"); }

// The checked entries of the look menu and its Office 2007 submenu.
QStringList CheckedLooks(CMainFrame* frame) {
    QStringList checked;
    QMenu* looks = LookMenu(frame);
    for (QMenu* menu : {looks, SubMenu(looks, "Office 2007(&7)")}) {
        for (QAction* action : menu == nullptr ? QList<QAction*>() : menu->actions()) {
            if (action->isChecked()) checked << action->text();
        }
    }
    return checked;
}

// The labels of the buttons of the toolbar "标准", in order, once it has laid them out.
QStringList ButtonTexts(CMainFrame* frame) {
    QApplication::processEvents();
    QStringList texts;
    QToolBar* toolbar = frame->ToolBar();
    for (QAction* action : toolbar->actions()) {
        auto* button = qobject_cast<QToolButton*>(toolbar->widgetForAction(action));
        if (button != nullptr && !button->isHidden()) texts << button->text();
    }
    return texts;
}

QColor WindowColor() { return QApplication::palette().color(QPalette::Window); }

}  // namespace

// Receives the addresses the about box asks the desktop to open, instead of a browser.
class UrlSink : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class AppShellTest : public QObject {
    Q_OBJECT

private:
    ui_test::IsolatedSettings* m_settings = nullptr;

    CMainFrame* Start() {
        if (!theApp.InitInstance()) return nullptr;
        QApplication::processEvents();
        return theApp.MainFrame();
    }

private slots:
    void initTestCase() {
        m_settings = new ui_test::IsolatedSettings;
        // Closing the frame is how a user leaves; the test program goes on.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    void cleanupTestCase() { delete m_settings; }
    void init() { ui_test::IsolatedSettings::Clear(); }
    void cleanup() { theApp.ExitInstance(); }

    void firstStartUsesVisualStudio2008() {
        QVERIFY(!QSettings().contains("ApplicationLook"));
        CMainFrame* frame = Start();
        QVERIFY(frame != nullptr);
        QVERIFY(frame->isVisible());
        QCOMPARE(theApp.m_nAppLook, 210u);
        QCOMPARE(CheckedLooks(frame), QStringList{"Visual Studio 2008(&8)"});
        QCOMPARE(frame->LookAction(210)->text(), QString("Visual Studio 2008(&8)"));
        QCOMPARE(WindowColor(), QColor(AppLookWindowColor(210)));
        QCOMPARE(QApplication::style()->name().toLower(), AppLookStyleName(210).toLower());
    }

    void lookMenuListsTheLooksInOrder() {
        CMainFrame* frame = Start();
        QMenu* looks = LookMenu(frame);
        QVERIFY(looks != nullptr);
        QCOMPARE(Texts(looks), (QStringList{"Windows 2000(&2)", "Office XP(&X)", "Windows XP(&W)",
                                            "Office 2003(&3)", "Visual Studio 2005(&5)",
                                            "Visual Studio 2008(&8)", "Office 2007(&7)"}));
        QCOMPARE(Texts(SubMenu(looks, "Office 2007(&7)")),
                 (QStringList{"蓝色样式(&B)", "黑色样式(&L)", "银色样式(&S)", "水绿色样式(&A)"}));
        // 219 and 211 to 214 have no entry.
        for (unsigned id : {211u, 212u, 213u, 214u, 219u}) QVERIFY(frame->LookAction(id) == nullptr);
    }

    void everyLookLooksDifferent() {
        std::set<std::pair<QString, QString>> seen;
        for (unsigned id : {205u, 206u, 207u, 208u, 209u, 210u, 215u, 216u, 217u, 218u, 219u}) {
            const auto look = std::make_pair(AppLookStyleName(id).toLower(), AppLookWindowColor(id));
            QVERIFY2(seen.insert(look).second, qPrintable(QString("look %1 repeats another").arg(id)));
        }
    }

    void disabledTextLooksDisabledInEveryLook() {
        for (unsigned id : {205u, 206u, 207u, 208u, 209u, 210u, 215u, 216u, 217u, 218u, 219u}) {
            ApplyAppLook(*qApp, id);
            const QPalette palette = QApplication::palette();
            for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
                const QColor enabled = palette.color(QPalette::Active, role);
                const QColor disabled = palette.color(QPalette::Disabled, role);
                QVERIFY2(enabled != disabled, qPrintable(QString("look %1, role %2").arg(id).arg(int(role))));
                QCOMPARE(palette.color(QPalette::Inactive, role), enabled);
                // Greyed text still differs from the window behind it.
                QVERIFY(disabled != palette.color(QPalette::Disabled, QPalette::Window));
            }
        }
        ApplyAppLook(*qApp, 210);
    }

    void choosingSilverIsStoredAndComesBack() {
        CMainFrame* frame = Start();
        QAction* silver = Item(SubMenu(LookMenu(frame), "Office 2007(&7)"), "银色样式(&S)");
        QVERIFY(silver != nullptr);
        silver->trigger();
        QCOMPARE(theApp.m_nAppLook, 217u);
        QCOMPARE(QSettings().value("ApplicationLook").toUInt(), 217u);
        QCOMPARE(CheckedLooks(frame), QStringList{"银色样式(&S)"});
        QCOMPARE(WindowColor(), QColor(AppLookWindowColor(217)));

        // Another look in force when the frame goes, so the new frame must restore silver.
        theApp.ExitInstance();
        ApplyAppLook(*qApp, 205);
        QCOMPARE(WindowColor(), QColor(AppLookWindowColor(205)));
        theApp.m_nAppLook = 0;

        frame = Start();
        QCOMPARE(theApp.m_nAppLook, 217u);
        QCOMPARE(CheckedLooks(frame), QStringList{"银色样式(&S)"});
        QCOMPARE(WindowColor(), QColor(AppLookWindowColor(217)));
        QCOMPARE(QApplication::style()->name().toLower(), AppLookStyleName(217).toLower());
    }

    void everyChoiceIsWritten() {
        CMainFrame* frame = Start();
        for (unsigned id : {205u, 218u, 210u}) {
            frame->LookAction(id)->trigger();
            QCOMPARE(QSettings().value("ApplicationLook").toUInt(), id);
            QCOMPARE(frame->LookAction(id)->isChecked(), true);
            QCOMPARE(CheckedLooks(frame).size(), 1);
        }
    }

    void stableFitIsOffAtFirstAndRemembered() {
        CMainFrame* frame = Start();
        QAction* stable = frame->Action(ID_STABLE_FIT);
        QVERIFY(stable != nullptr);
        QVERIFY(stable->isCheckable());
        QVERIFY(!stable->isChecked());
        QVERIFY(!theApp.Document()->IsStableFit());
        QCOMPARE(stable->statusTip(), QString("用 QR 分解的稳定算法计算普通拟合和岭回归"));
        stable->trigger();
        QVERIFY(theApp.Document()->IsStableFit());
        QCOMPARE(QSettings().value("StableFit").toBool(), true);

        theApp.ExitInstance();
        frame = Start();
        QVERIFY(frame->Action(ID_STABLE_FIT)->isChecked());
        QVERIFY(theApp.Document()->IsStableFit());
        frame->Action(ID_STABLE_FIT)->trigger();
        QVERIFY(!theApp.Document()->IsStableFit());
        QCOMPARE(QSettings().value("StableFit").toBool(), false);
    }

    void lookOutsideTheTableKeepsTheOffice2007Colour() {
        CMainFrame* frame = Start();
        frame->LookAction(216)->trigger();
        theApp.ExitInstance();
        for (unsigned stored : {212u, 999u}) {
            QSettings().setValue("ApplicationLook", stored);
            frame = Start();
            QCOMPARE(theApp.m_nAppLook, stored);
            QCOMPARE(CheckedLooks(frame), QStringList());
            QCOMPARE(WindowColor(), QColor(AppLookWindowColor(216)));
            theApp.ExitInstance();
        }
    }

    void menusCarryTheirTextsAndAccelerators() {
        CMainFrame* frame = Start();
        QStringList tops;
        for (QAction* action : frame->menuBar()->actions()) tops << action->text();
        QCOMPARE(tops, (QStringList{"数据(&F)", "计算(&C)", "视图(&V)", "帮助(&H)"}));
        QCOMPARE(Texts(TopMenu(frame, "数据(&F)")),
                 (QStringList{"模拟数据(&N)", "打开(&O)...", "-", "打印(&P)...", "打印预览(&V)",
                              "打印设置(&R)...", "-", "导出图像(&E)...", "复制图像(&I)", "导出曲线(&U)...",
                              "-", "退出(&X)"}));
        QCOMPARE(Texts(TopMenu(frame, "计算(&C)")), (QStringList{"Trendfit(&R)", "阶数扫描(&W)...", "稳定算法(&S)"}));
        QCOMPARE(Texts(TopMenu(frame, "视图(&V)")),
                 (QStringList{"工具栏和停靠窗口(&T)", "状态栏(&S)", "-", "置信带(&B)", "显示全部曲线(&L)",
                              "阶数扫描图(&D)", "-",
                              "应用程序外观(&A)"}));
        QCOMPARE(Texts(TopMenu(frame, "帮助(&H)")), QStringList{"关于 Trendfit(&A)..."});

        const std::pair<int, const char*> keys[] = {
            {ID_SIMULATION_DATA, "Ctrl+N"}, {ID_FILE_OPEN, "Ctrl+O"}, {ID_FILE_PRINT, "Ctrl+P"},
            {ID_COMPUTE, "Ctrl+R"}};
        for (const auto& [id, key] : keys) {
            QVERIFY(frame->Action(id) != nullptr);
            QCOMPARE(frame->Action(id)->shortcut(), QKeySequence(key));
        }
        // Nothing to compute or to export as a curve before data exists; the chart can be
        // taken out at any time.
        QVERIFY(!frame->Action(ID_COMPUTE)->isEnabled());
        QVERIFY(!frame->Action(ID_DEGREE_SWEEP)->isEnabled());
        QVERIFY(!frame->Action(ID_EXPORT_CURVE)->isEnabled());
        QVERIFY(frame->Action(ID_EXPORT_IMAGE)->isEnabled());
        QVERIFY(frame->Action(ID_COPY_IMAGE)->isEnabled());
        QVERIFY(frame->Action(ID_SIMULATION_DATA)->isEnabled());
        QCOMPARE(frame->Action(ID_EXPORT_IMAGE)->toolTip(), QString("导出图像"));
        QCOMPARE(frame->Action(ID_EXPORT_CURVE)->statusTip(),
                 QString("将当前曲线的阶数、权重、方差和系数保存为 CSV 文件"));
    }

    void bandChoiceIsStoredAndComesBack() {
        CMainFrame* frame = Start();
        QVERIFY(!frame->Action(ID_VIEW_BAND)->isChecked());
        QVERIFY(!frame->View()->Options().band);
        frame->Action(ID_VIEW_BAND)->trigger();
        frame->Action(ID_VIEW_ALL_CURVES)->trigger();
        QVERIFY(frame->View()->Options().band && frame->View()->Options().allCurves);
        theApp.ExitInstance();
        // The band comes back; all curves at once is a look at the moment, off at start.
        frame = Start();
        QVERIFY(frame->Action(ID_VIEW_BAND)->isChecked());
        QVERIFY(frame->View()->Options().band);
        QVERIFY(!frame->Action(ID_VIEW_ALL_CURVES)->isChecked());
        QVERIFY(!frame->View()->Options().allCurves);
        QCOMPARE(frame->Action(ID_VIEW_BAND)->statusTip(), QString("在当前普通或岭回归曲线周围显示 95% 置信带"));
    }

    void toolbarEndsWithCustomize() {
        CMainFrame* frame = Start();
        QToolBar* toolbar = frame->ToolBar();
        QCOMPARE(toolbar->windowTitle(), QString("标准"));
        const QList<QAction*> actions = toolbar->actions();
        QVERIFY(!actions.isEmpty());
        QCOMPARE(actions.last()->text(), QString("自定义..."));
        QCOMPARE(actions.last()->data().toInt(), 126);
        for (int id : {ID_SIMULATION_DATA, ID_FILE_OPEN, ID_FILE_PRINT, ID_APP_ABOUT}) {
            QVERIFY2(actions.contains(frame->Action(id)), qPrintable(QString::number(id)));
        }
        QCOMPARE(frame->Action(ID_SIMULATION_DATA)->toolTip(), QString("模拟数据"));
        QCOMPARE(frame->Action(ID_APP_ABOUT)->toolTip(), QString("关于"));
    }

    void toolbarButtonsShowTheirShortNames() {
        CMainFrame* frame = Start();
        // The customise button keeps its "...".
        QCOMPARE(ButtonTexts(frame), (QStringList{"模拟数据", "打开", "打印", "关于", "自定义..."}));
    }

    void printShowsAPrinter() {
        CMainFrame* frame = Start();
        const QIcon icon = frame->Action(ID_FILE_PRINT)->icon();
        QVERIFY(!icon.isNull());
        const QImage shown = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        // Not the save button's floppy, which it showed before.
        const QImage floppy = frame->style()->standardIcon(QStyle::SP_DialogSaveButton).pixmap(16, 16).toImage()
                                  .convertToFormat(QImage::Format_ARGB32);
        QVERIFY(shown != floppy);
    }

    void customizedToolbarComesBack() {
        CMainFrame* frame = Start();
        QStringList offered;
        ui_test::ModalWatch<QDialog> watch([&](QDialog* dialog) {
            for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
                offered << box->text();
                if (box->text() == "打开(O)...") box->setChecked(false);
            }
            dialog->accept();
        });
        frame->Action(ID_CUSTOMIZE)->trigger();
        QVERIFY(watch.Seen());
        QCOMPARE(offered, (QStringList{"模拟数据(N)", "打开(O)...", "打印(P)...", "导出图像(E)...", "复制图像(I)",
                                       "导出曲线(U)...", "关于 Trendfit(A)..."}));
        QAction* open = frame->Action(ID_FILE_OPEN);
        QCOMPARE(ButtonTexts(frame), (QStringList{"模拟数据", "打印", "关于", "自定义..."}));
        // Only the button goes: the menu item still works.
        QVERIFY(open->isVisible());
        QVERIFY(open->isEnabled());
        QCOMPARE(frame->HiddenButtons(), (QStringList{"57601", "32780", "32781", "32782"}));
        // A relayout does not bring the button back.
        frame->resize(900, 700);
        QApplication::processEvents();
        QCOMPARE(ButtonTexts(frame), (QStringList{"模拟数据", "打印", "关于", "自定义..."}));

        frame->close();
        theApp.ExitInstance();
        frame = Start();
        QCOMPARE(ButtonTexts(frame), (QStringList{"模拟数据", "打印", "关于", "自定义..."}));

        // The dialog offers the hidden command unticked; ticking it puts it back in its place.
        QStringList ticked;
        ui_test::ModalWatch<QDialog> again([&](QDialog* dialog) {
            for (QCheckBox* box : dialog->findChildren<QCheckBox*>()) {
                if (box->isChecked()) ticked << box->text();
                box->setChecked(true);
            }
            dialog->accept();
        });
        frame->Action(ID_CUSTOMIZE)->trigger();
        QCOMPARE(ticked, (QStringList{"模拟数据(N)", "打印(P)...", "关于 Trendfit(A)..."}));
        QCOMPARE(ButtonTexts(frame),
                 (QStringList{"模拟数据", "打开", "打印", "导出图像", "复制图像", "导出曲线", "关于", "自定义..."}));
        QCOMPARE(frame->HiddenButtons(), QStringList());
    }

    void paneMenuListsThePanesTheToolbarAndCustomize() {
        CMainFrame* frame = Start();
        QMenu* panes = SubMenu(TopMenu(frame, "视图(&V)"), "工具栏和停靠窗口(&T)");
        QVERIFY(panes != nullptr);
        emit panes->aboutToShow();
        const QStringList first = Texts(panes);
        const int menus = frame->findChildren<QMenu*>().size();
        // Opening it again lists the same entries and leaves no menus behind.
        emit panes->aboutToShow();
        emit panes->aboutToShow();
        QCOMPARE(Texts(panes), first);
        QCOMPARE(frame->findChildren<QMenu*>().size(), menus);
        for (const char* entry : {"数据视图", "输出", "属性", "标准"}) QVERIFY2(first.contains(entry), entry);
        QCOMPARE(first.last(), QString("自定义..."));
        QCOMPARE(first.value(first.size() - 2), QString("-"));

        Item(panes, "输出")->trigger();
        QVERIFY(frame->OutputWnd()->isHidden());
        emit panes->aboutToShow();
        QVERIFY(!Item(panes, "输出")->isChecked());
        Item(panes, "输出")->trigger();
        QVERIFY(!frame->OutputWnd()->isHidden());
    }

    void panesStartAtTheirSizes() {
        CMainFrame* frame = Start();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QCOMPARE(frame->ClassView()->width(), 200);
        QCOMPARE(frame->PropertiesWnd()->width(), 200);
        QCOMPARE(frame->OutputWnd()->height(), 100);
    }

    void layoutComesBackAfterClosing() {
        CMainFrame* frame = Start();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        frame->addDockWidget(Qt::TopDockWidgetArea, frame->PropertiesWnd());
        frame->OutputWnd()->hide();
        frame->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(frame->statusBar()->isHidden());
        frame->resize(1100, 780);
        QApplication::processEvents();
        frame->close();
        theApp.ExitInstance();

        frame = Start();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        QCOMPARE(frame->dockWidgetArea(frame->PropertiesWnd()), Qt::TopDockWidgetArea);
        QCOMPARE(frame->dockWidgetArea(frame->ClassView()), Qt::LeftDockWidgetArea);
        QVERIFY(frame->OutputWnd()->isHidden());
        QVERIFY(frame->statusBar()->isHidden());
        QVERIFY(!frame->Action(ID_VIEW_STATUS_BAR)->isChecked());
        QCOMPARE(frame->size(), QSize(1100, 780));

        // The status bar comes back through its menu item, and so on the next start.
        frame->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(!frame->statusBar()->isHidden());
        frame->close();
        theApp.ExitInstance();
        frame = Start();
        QVERIFY(!frame->statusBar()->isHidden());
        QVERIFY(frame->Action(ID_VIEW_STATUS_BAR)->isChecked());
    }

    void panesHaveTheirCaptionsAndSides() {
        CMainFrame* frame = Start();
        QCOMPARE(frame->ClassView()->windowTitle(), QString("数据视图"));
        QCOMPARE(frame->OutputWnd()->windowTitle(), QString("输出"));
        QCOMPARE(frame->PropertiesWnd()->windowTitle(), QString("属性"));
        QCOMPARE(frame->dockWidgetArea(frame->ClassView()), Qt::LeftDockWidgetArea);
        QCOMPARE(frame->dockWidgetArea(frame->OutputWnd()), Qt::BottomDockWidgetArea);
        QCOMPARE(frame->dockWidgetArea(frame->PropertiesWnd()), Qt::RightDockWidgetArea);
        QCOMPARE(static_cast<IOutputMessage*>(frame->OutputWnd()), g_pOutputMessage);
        QCOMPARE(static_cast<IDataTreeView*>(frame->ClassView()), g_pDataTreeView);
        QCOMPARE(static_cast<IPropetyChange*>(frame->PropertiesWnd()), g_pPropetyChange);
        QCOMPARE(static_cast<IDataDoc*>(theApp.Document()), g_pDataDoc);
    }

    void frameGoneLeavesNoPaneRegistered() {
        Start();
        theApp.ExitInstance();
        QVERIFY(g_pOutputMessage == nullptr);
        QVERIFY(g_pDataTreeView == nullptr);
        QVERIFY(g_pPropetyChange == nullptr);
        QVERIFY(g_pDataDoc == nullptr);
    }

    void statusBarShowsReadyAndThePrompt() {
        CMainFrame* frame = Start();
        QCOMPARE(frame->StatusMessage(), QString("就绪"));
        QStringList indicators;
        for (QLabel* label : frame->statusBar()->findChildren<QLabel*>()) indicators << label->text();
        for (const char* indicator : {"CAP", "NUM", "SCRL"}) QVERIFY(indicators.contains(indicator));
        // The indicators read normally only while their lock is on.
        auto* cap = frame->statusBar()->findChild<QLabel*>("CAP");
        auto* num = frame->statusBar()->findChild<QLabel*>("NUM");
        auto* scrl = frame->statusBar()->findChild<QLabel*>("SCRL");
        QVERIFY(cap != nullptr && num != nullptr && scrl != nullptr);
        QVERIFY(!cap->isEnabled() && !num->isEnabled() && !scrl->isEnabled());
        frame->UpdateKeyIndicators(true, false, true);
        QVERIFY(cap->isEnabled() && !num->isEnabled() && scrl->isEnabled());
        frame->UpdateKeyIndicators(false, true, false);
        QVERIFY(!cap->isEnabled() && num->isEnabled() && !scrl->isEnabled());

        // Open "数据(&F)" from the menu bar and highlight "模拟数据(&N)".
        QMenu* data = TopMenu(frame, "数据(&F)");
        frame->activateWindow();
        frame->menuBar()->setActiveAction(data->menuAction());
        QTRY_VERIFY(data->isVisible());
        data->setActiveAction(frame->Action(ID_SIMULATION_DATA));
        QCOMPARE(frame->StatusMessage(), QString("创建模拟数据"));
        data->setActiveAction(frame->Action(ID_FILE_OPEN));
        QCOMPARE(frame->StatusMessage(), QString("打开现有文档"));
        data->hide();
        frame->menuBar()->setActiveAction(nullptr);
        QTRY_COMPARE(frame->StatusMessage(), QString("就绪"));
    }

    void aboutBoxOpensTheHomePageAndStaysOpen() {
        CMainFrame* frame = Start();
        UrlSink sink;
        QDesktopServices::setUrlHandler("https", &sink, "open");
        QDesktopServices::setUrlHandler("http", &sink, "open");
        QSettings().setValue("HomePage", "https://trendfit.example/home");

        struct Seen {
            QString title;
            QStringList labels;
            QString visitText, okText;
            bool okDefault = false, visitDefault = true;
            bool openAfterVisit = false;
            int openedAfterVisit = -1;
        } seen;
        ui_test::ModalWatch<CAboutDlg> watch(
            [&](CAboutDlg* about) {
                seen.title = about->windowTitle();
                for (QLabel* label : about->findChildren<QLabel*>()) {
                    if (!label->text().isEmpty()) seen.labels << label->text();
                }
                auto* visit = ui_test::Child<QPushButton>(about, "1014");
                auto* ok = ui_test::Child<QPushButton>(about, "IDOK");
                if (visit == nullptr || ok == nullptr) {
                    about->reject();
                    return;
                }
                seen.visitText = visit->text();
                seen.okText = ok->text();
                seen.okDefault = ok->isDefault();
                seen.visitDefault = visit->isDefault();
                visit->click();
                seen.openAfterVisit = about->isVisible();
                seen.openedAfterVisit = sink.opened.size();
                // Return presses the default button.
                QTest::keyClick(about, Qt::Key_Return);
                if (about->isVisible()) about->reject();
            });
        frame->Action(ID_APP_ABOUT)->trigger();
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("http");

        QVERIFY(watch.Seen());
        QCOMPARE(seen.title, QString("关于 Trendfit"));
        QVERIFY(seen.labels.contains("Trendfit，版本 1.0"));
        QCOMPARE(seen.visitText, QString("访问官网"));
        QCOMPARE(seen.okText, QString("确定"));
        QVERIFY(seen.okDefault);
        QVERIFY(!seen.visitDefault);
        QVERIFY(seen.openAfterVisit);
        QCOMPARE(seen.openedAfterVisit, 1);
        QCOMPARE(sink.opened.value(0), QUrl("https://trendfit.example/home"));
    }

    void standardButtonsSpeakChinese() {
        CTrendfitApp::InstallTranslations();
        Start();
        if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_zh_CN.qm")) {
            QSKIP("Qt's Chinese translations are not installed");
        }
        QString ok, cancel;
        ui_test::ModalWatch<QMessageBox> watch([&](QMessageBox* box) {
            ok = box->button(QMessageBox::Ok)->text();
            cancel = box->button(QMessageBox::Cancel)->text();
            box->done(QMessageBox::Ok);
        });
        QMessageBox::question(theApp.MainFrame(), "Trendfit工具", "?", QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(ok, QString("确定"));
        QCOMPARE(cancel, QString("取消"));
    }

    void aboutBoxWithoutConfigurationOpensTheBuiltInAddress() {
        QVERIFY(!QSettings().contains("HomePage"));
        const QUrl address(CAboutDlg::HomePage());
        QVERIFY(address.isValid());
        QVERIFY(address.scheme() == "https" || address.scheme() == "http");
        QVERIFY(!address.host().isEmpty());
    }
};

QTEST_MAIN(AppShellTest)
#include "AppShellTest.moc"
