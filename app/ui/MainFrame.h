#pragma once

// The main window: menu bar, the toolbar "标准", the status bar, the chart view in the
// middle and the three docking panes. Its layout, the application look and the choice of
// 视图 → 置信带 persist in the per-user settings.

#include <QMainWindow>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

class CTrendfitDoc;
class CTrendfitView;
class CSweepView;
class CClassView;
class COutputWnd;
class CPropertiesWnd;
class QtPlatform;
class QActionGroup;
class QIcon;
class QLabel;
class QStackedWidget;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    // Reads the stored look, builds the window (OnCreate) and hands the document its
    // platform services.
    explicit CMainFrame(CTrendfitDoc& doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // The action of a command id (menu item or toolbar button), null when there is none.
    QAction* Action(int id) const;
    // The look menu's action of a look id.
    QAction* LookAction(unsigned id) const;
    CTrendfitView* View() const { return m_view; }
    // The degree sweep's view; it takes the chart view's place while 视图 → 阶数扫描图 is on.
    CSweepView* SweepView() const { return m_sweepView; }
    CClassView* ClassView() const { return m_wndClassView; }
    COutputWnd* OutputWnd() const { return m_wndOutput; }
    CPropertiesWnd* PropertiesWnd() const { return m_wndProperties; }
    QToolBar* ToolBar() const { return m_wndToolBar; }
    // The status bar's message area: "就绪" when idle, a command's prompt while its menu
    // item is highlighted.
    QString StatusMessage() const;

    // Commands whose "标准" buttons the user has hidden through "自定义...", as their ids.
    // The export and copy commands are offered there but hidden until the user adds them.
    QStringList HiddenButtons() const;
    void SetHiddenButtons(const QStringList& commands);
    // Stores the window's placement, the docks and toolbar, the status bar's visibility and
    // the hidden buttons; the next frame comes up with them.
    void SaveState() const;

    // The status bar's CAP, NUM and SCRL read normally while their lock is on, greyed out
    // while it is off.
    void UpdateKeyIndicators(bool capsLock, bool numLock, bool scrollLock);

    // Installs look `id`, re-applies the output fonts, redraws and stores the choice.
    void OnApplicationLook(unsigned id);
    // The option 计算→稳定算法: hands it to the document and stores it as "StableFit".
    void OnStableFit(bool on);
    // "阶数扫描...": runs the sweep; once it finished, the sweep view shows it with its best
    // degree chosen.
    void OnDegreeSweep();
    // 视图 → 阶数扫描图: the sweep view in place of the chart view, or back.
    void ShowSweepView(bool on);
    // Enables the compute and sweep commands exactly while the document holds data, and
    // the curve export while a curve is current.
    void UpdateCommandUI();

    // The print command's icon: the theme's printer, or a drawn one where there is none.
    static QIcon PrinterIcon();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    QMenu* createPopupMenu() override;

private:
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateDockingWindows();
    QAction* AddCommand(QMenu* menu, int id, const QString& text, const QKeySequence& key = {});
    void OnCustomize();
    void RestoreState();
    // Hands the view the states of 视图 → 置信带 and 显示全部曲线.
    void ApplyChartOptions();
    // With the band on, tells in the status bar why the current curve has none (a lasso
    // or elastic-net curve, one the band cannot be computed for, or a cancelled
    // computation); takes the text away once it no longer holds.
    void ShowBandNote();

    CTrendfitDoc& m_doc;
    CTrendfitView* m_view;
    CSweepView* m_sweepView;
    QStackedWidget* m_centre;
    CClassView* m_wndClassView = nullptr;
    COutputWnd* m_wndOutput = nullptr;
    CPropertiesWnd* m_wndProperties = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QLabel* m_readyLabel = nullptr;
    std::vector<QLabel*> m_indicators;  // CAP, NUM, SCRL
    quint64 m_scrollLockStamp = 0;      // time of the last scroll-lock press counted
    QActionGroup* m_looks = nullptr;
    std::map<int, QAction*> m_actions;
    std::vector<QAction*> m_toolCommands;  // the commands "标准" can show, in order
    std::unique_ptr<QtPlatform> m_platform;
    QString m_bandNote;  // the band's status-bar text while it is shown
};
