#include "app/ui/MainFrame.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include "app/core/TrendfitDoc.h"
#include "app/ui/AppLook.h"
#include "app/ui/ClassView.h"
#include "app/ui/Commands.h"
#include "app/ui/OutputWnd.h"
#include "app/ui/PropertiesWnd.h"
#include "app/ui/QtPlatform.h"
#include "app/ui/SweepView.h"
#include "app/ui/TrendfitApp.h"
#include "app/ui/TrendfitView.h"

using namespace trendfit;

namespace {

// A command as the settings store lists it: its id in decimal.
QString CommandKey(const QAction* action) { return QString::number(action->data().toInt()); }

// Commands the customise dialog offers that "标准" does not show until the user adds them.
const QStringList kHiddenByDefault{QString::number(ID_EXPORT_IMAGE), QString::number(ID_COPY_IMAGE),
                                   QString::number(ID_EXPORT_CURVE)};

// Where the choice of 视图 → 置信带 is kept.
const QString kBandSetting = QStringLiteral("View/ConfidenceBand");

// A printer drawn on a transparent square of `side` pixels: paper in, body, paper out.
QPixmap DrawnPrinter(int side) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(side / 16.0, side / 16.0);
    painter.setPen(QPen(QColor(60, 60, 60), 1.0));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(4.5, 1.5, 7, 5));
    painter.setBrush(QColor(150, 155, 165));
    painter.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(4.5, 10.5, 7, 4));
    painter.setPen(QPen(QColor(40, 170, 60), 1.0));
    painter.drawPoint(QPointF(12.5, 8.5));
    return pixmap;
}

}  // namespace

CMainFrame::CMainFrame(CTrendfitDoc& doc, QWidget* parent) : QMainWindow(parent), m_doc(doc) {
    theApp.m_nAppLook = QSettings().value("ApplicationLook", kDefaultAppLook).toUInt();
    m_doc.SetStableFit(QSettings().value("StableFit", false).toBool());

    setObjectName("MainFrame");
    setWindowTitle("无标题 - Trendfit");
    resize(1280, 860);
    m_centre = new QStackedWidget(this);
    m_view = new CTrendfitView(&m_doc, m_centre);
    m_sweepView = new CSweepView(&m_doc, m_centre);
    m_centre->addWidget(m_view);
    m_centre->addWidget(m_sweepView);
    setCentralWidget(m_centre);
    m_platform = std::make_unique<QtPlatform>(this, m_view, [this] {
        UpdateCommandUI();
        ShowBandNote();
        m_sweepView->Refresh();
    });
    m_doc.SetPlatform(m_platform.get());

    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks |
                   QMainWindow::AllowTabbedDocks);
    CreateDockingWindows();
    OnApplicationLook(theApp.m_nAppLook);
    RestoreState();
    UpdateCommandUI();
}

CMainFrame::~CMainFrame() { m_doc.SetPlatform(nullptr); }

QAction* CMainFrame::AddCommand(QMenu* menu, int id, const QString& text, const QKeySequence& key) {
    auto* action = new QAction(text, this);
    action->setData(id);
    if (!key.isEmpty()) action->setShortcut(key);
    action->setStatusTip(StatusText(id));
    const QString tip = ToolTipText(id);
    if (!tip.isEmpty()) action->setToolTip(tip);
    if (menu != nullptr) menu->addAction(action);
    m_actions[id] = action;
    return action;
}

QAction* CMainFrame::Action(int id) const {
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QAction* CMainFrame::LookAction(unsigned id) const {
    for (QAction* action : m_looks->actions()) {
        if (action->data().toUInt() == id) return action;
    }
    return nullptr;
}

void CMainFrame::CreateMenus() {
    QMenu* data = menuBar()->addMenu("数据(&F)");
    // The commands' states follow the document's repaint requests (QtPlatform).
    connect(AddCommand(data, ID_SIMULATION_DATA, "模拟数据(&N)", QKeySequence("Ctrl+N")),
            &QAction::triggered, this, [this] { m_doc.OnSimulationData(); });
    connect(AddCommand(data, ID_FILE_OPEN, "打开(&O)...", QKeySequence("Ctrl+O")),
            &QAction::triggered, this, [this] { m_doc.OnFileOpen(); });
    data->addSeparator();
    connect(AddCommand(data, ID_FILE_PRINT, "打印(&P)...", QKeySequence("Ctrl+P")),
            &QAction::triggered, m_view, &CTrendfitView::OnFilePrint);
    connect(AddCommand(data, ID_FILE_PRINT_PREVIEW, "打印预览(&V)"), &QAction::triggered, m_view,
            &CTrendfitView::OnFilePrintPreview);
    connect(AddCommand(data, ID_FILE_PRINT_SETUP, "打印设置(&R)..."), &QAction::triggered, m_view,
            &CTrendfitView::OnFilePrintSetup);
    data->addSeparator();
    connect(AddCommand(data, ID_EXPORT_IMAGE, "导出图像(&E)..."), &QAction::triggered, m_view,
            &CTrendfitView::OnExportImage);
    connect(AddCommand(data, ID_COPY_IMAGE, "复制图像(&I)"), &QAction::triggered, m_view,
            &CTrendfitView::OnCopyImage);
    connect(AddCommand(data, ID_EXPORT_CURVE, "导出曲线(&U)..."), &QAction::triggered, m_view,
            &CTrendfitView::OnExportCurve);
    connect(data, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
    data->addSeparator();
    connect(AddCommand(data, ID_APP_EXIT, "退出(&X)"), &QAction::triggered, this, &QWidget::close);

    QMenu* compute = menuBar()->addMenu("计算(&C)");
    connect(AddCommand(compute, ID_COMPUTE, "Trendfit(&R)", QKeySequence("Ctrl+R")),
            &QAction::triggered, this, [this] { m_doc.OnCompute(); });
    connect(AddCommand(compute, ID_DEGREE_SWEEP, "阶数扫描(&W)..."), &QAction::triggered, this,
            &CMainFrame::OnDegreeSweep);
    QAction* stable = AddCommand(compute, ID_STABLE_FIT, "稳定算法(&S)");
    stable->setCheckable(true);
    stable->setChecked(m_doc.IsStableFit());
    connect(stable, &QAction::toggled, this, &CMainFrame::OnStableFit);
    connect(compute, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);

    QMenu* view = menuBar()->addMenu("视图(&V)");
    QMenu* panes = view->addMenu("工具栏和停靠窗口(&T)");
    panes->menuAction()->setData(int(ID_VIEW_TOOLBAR));
    panes->menuAction()->setStatusTip(StatusText(ID_VIEW_TOOLBAR));
    m_actions[ID_VIEW_TOOLBAR] = panes->menuAction();
    connect(panes, &QMenu::aboutToShow, this, [this, panes] {
        // The entries are the panes' and toolbar's own toggles plus "自定义..."; the
        // temporary menu that lists them goes at once.
        panes->clear();
        std::unique_ptr<QMenu> entries(createPopupMenu());
        for (QAction* action : entries->actions()) {
            if (action->isSeparator()) {
                panes->addSeparator();
            } else {
                panes->addAction(action);
            }
        }
    });
    QAction* statusBarAction = AddCommand(view, ID_VIEW_STATUS_BAR, "状态栏(&S)");
    statusBarAction->setCheckable(true);
    statusBarAction->setChecked(true);
    connect(statusBarAction, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });

    view->addSeparator();
    QAction* band = AddCommand(view, ID_VIEW_BAND, "置信带(&B)");
    band->setCheckable(true);
    connect(band, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(kBandSetting, on);
        ApplyChartOptions();
        // Computes the current curve's band if it has none, with progress and cancel.
        m_doc.SetConfidenceBand(on);
    });
    QAction* allCurves = AddCommand(view, ID_VIEW_ALL_CURVES, "显示全部曲线(&L)");
    allCurves->setCheckable(true);
    connect(allCurves, &QAction::toggled, this, &CMainFrame::ApplyChartOptions);
    QAction* sweep = AddCommand(view, ID_VIEW_SWEEP, "阶数扫描图(&D)");
    sweep->setCheckable(true);
    connect(sweep, &QAction::toggled, this, &CMainFrame::ShowSweepView);
    // A stored sweep curve is shown where curves are: on the chart.
    connect(m_sweepView, &CSweepView::curveStored, this, [this] { ShowSweepView(false); });
    view->addSeparator();

    QMenu* looks = view->addMenu("应用程序外观(&A)");
    QMenu* office2007 = nullptr;
    m_looks = new QActionGroup(this);
    m_looks->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const AppLookItem& item : AppLookMenuItems()) {
        if (item.office2007 && office2007 == nullptr) office2007 = looks->addMenu("Office 2007(&7)");
        QAction* action = (item.office2007 ? office2007 : looks)->addAction(item.text);
        action->setCheckable(true);
        action->setData(item.id);
        m_looks->addAction(action);
        connect(action, &QAction::triggered, this, [this, id = item.id] { OnApplicationLook(id); });
    }

    QMenu* help = menuBar()->addMenu("帮助(&H)");
    connect(AddCommand(help, ID_APP_ABOUT, "关于 Trendfit(&A)..."), &QAction::triggered, this,
            [this] { theApp.OnAppAbout(this); });
}

void CMainFrame::CreateToolBar() {
    m_wndToolBar = addToolBar("标准");
    m_wndToolBar->setObjectName("StandardToolBar");
    m_wndToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    struct Button {
        int id;
        const char* themeIcon;
        QStyle::StandardPixmap fallback;
    };
    // In the customise dialog's order.
    const Button buttons[] = {
        {ID_SIMULATION_DATA, "document-new", QStyle::SP_FileIcon},
        {ID_FILE_OPEN, "document-open", QStyle::SP_DialogOpenButton},
        {ID_FILE_PRINT, nullptr, QStyle::SP_CustomBase},
        {ID_EXPORT_IMAGE, "document-save-as", QStyle::SP_DialogSaveButton},
        {ID_COPY_IMAGE, "edit-copy", QStyle::SP_FileDialogContentsView},
        {ID_EXPORT_CURVE, "document-save-as", QStyle::SP_DialogSaveButton},
        {ID_APP_ABOUT, "help-about", QStyle::SP_MessageBoxInformation},
    };
    for (const Button& button : buttons) {
        QAction* action = Action(button.id);
        action->setIcon(button.themeIcon == nullptr
                            ? PrinterIcon()
                            : QIcon::fromTheme(button.themeIcon, style()->standardIcon(button.fallback)));
        // A button is labelled with its tooltip ("模拟数据"), not with the menu text.
        action->setIconText(ToolTipText(button.id));
        m_toolCommands.push_back(action);
    }
    QAction* customize = AddCommand(nullptr, ID_CUSTOMIZE, "自定义...");
    // A tool button drops a trailing "..." from a derived label: keep it.
    customize->setIconText("自定义...");
    connect(customize, &QAction::triggered, this, &CMainFrame::OnCustomize);
    SetHiddenButtons(kHiddenByDefault);
}

QIcon CMainFrame::PrinterIcon() {
    QIcon drawn;
    for (int side : {16, 24, 32, 48}) drawn.addPixmap(DrawnPrinter(side));
    return QIcon::fromTheme("document-print", drawn);
}

void CMainFrame::CreateStatusBar() {
    m_readyLabel = new QLabel("就绪", this);
    statusBar()->addWidget(m_readyLabel, 1);
    for (const char* indicator : {"CAP", "NUM", "SCRL"}) {
        auto* label = new QLabel(indicator, this);
        label->setObjectName(indicator);
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumWidth(40);
        statusBar()->addPermanentWidget(label);
        m_indicators.push_back(label);
    }
    // Off until a key event tells otherwise; only X11 reports the lock states with its keys.
    UpdateKeyIndicators(false, false, false);
    if (QGuiApplication::platformName() == "xcb") qApp->installEventFilter(this);
}

void CMainFrame::UpdateKeyIndicators(bool capsLock, bool numLock, bool scrollLock) {
    const bool on[] = {capsLock, numLock, scrollLock};
    for (std::size_t i = 0; i < m_indicators.size(); ++i) m_indicators[i]->setEnabled(on[i]);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
        // The X11 key state: Lock is caps lock, Mod2 num lock; scroll lock has no modifier,
        // so it follows its own key's presses.
        auto* key = static_cast<QKeyEvent*>(event);
        const quint32 state = key->nativeModifiers();
        bool scroll = m_indicators[2]->isEnabled();
        // A key event passes the filter once for each widget it is offered to.
        if (event->type() == QEvent::KeyPress && key->key() == Qt::Key_ScrollLock && !key->isAutoRepeat() &&
            key->timestamp() != m_scrollLockStamp) {
            m_scrollLockStamp = key->timestamp();
            scroll = !scroll;
        }
        UpdateKeyIndicators((state & 0x02) != 0, (state & 0x10) != 0, scroll);
    }
    return QMainWindow::eventFilter(watched, event);
}

QString CMainFrame::StatusMessage() const {
    const QString message = statusBar()->currentMessage();
    return message.isEmpty() ? m_readyLabel->text() : message;
}

void CMainFrame::CreateDockingWindows() {
    m_wndClassView = new CClassView(this);
    m_wndOutput = new COutputWnd(this);
    m_wndProperties = new CPropertiesWnd(this);
    addDockWidget(Qt::LeftDockWidgetArea, m_wndClassView);
    addDockWidget(Qt::BottomDockWidgetArea, m_wndOutput);
    addDockWidget(Qt::RightDockWidgetArea, m_wndProperties);
    resizeDocks({m_wndClassView, m_wndProperties}, {200, 200}, Qt::Horizontal);
    resizeDocks({m_wndOutput}, {100}, Qt::Vertical);
}

QMenu* CMainFrame::createPopupMenu() {
    QMenu* menu = QMainWindow::createPopupMenu();
    if (menu == nullptr) menu = new QMenu(this);
    menu->addSeparator();
    menu->addAction(Action(ID_CUSTOMIZE));
    return menu;
}

void CMainFrame::OnCustomize() {
    // Chooses which commands the toolbar shows.
    QDialog dialog(this);
    dialog.setWindowTitle("自定义");
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel("工具栏 \"标准\" 上显示的命令:", &dialog));
    std::vector<std::pair<QAction*, QCheckBox*>> choices;
    for (QAction* action : m_toolCommands) {
        auto* box = new QCheckBox(QString(action->text()).remove('&'), &dialog);
        box->setChecked(m_wndToolBar->actions().contains(action));
        layout->addWidget(box);
        choices.emplace_back(action, box);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    // A hidden command stays reachable from the menu; only its toolbar button goes.
    QStringList hidden;
    for (auto& [action, box] : choices) {
        if (!box->isChecked()) hidden << CommandKey(action);
    }
    SetHiddenButtons(hidden);
}

QStringList CMainFrame::HiddenButtons() const {
    QStringList hidden;
    const QList<QAction*> shown = m_wndToolBar->actions();
    for (QAction* action : m_toolCommands) {
        if (!shown.contains(action)) hidden << CommandKey(action);
    }
    return hidden;
}

void CMainFrame::SetHiddenButtons(const QStringList& commands) {
    // The toolbar is rebuilt rather than its buttons hidden: its layout shows every button
    // of a visible action again whenever it lays itself out.
    m_wndToolBar->clear();
    for (QAction* action : m_toolCommands) {
        if (!commands.contains(CommandKey(action))) m_wndToolBar->addAction(action);
    }
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(Action(ID_CUSTOMIZE));
}

void CMainFrame::OnApplicationLook(unsigned id) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    theApp.m_nAppLook = id;
    ApplyAppLook(*qApp, id);
    if (QAction* action = LookAction(id)) {
        action->setChecked(true);
    } else if (QAction* checked = m_looks->checkedAction()) {
        checked->setChecked(false);  // 211 to 214 and 219 have no menu item
    }
    if (m_wndOutput != nullptr) m_wndOutput->UpdateFonts();
    update();
    QSettings().setValue("ApplicationLook", id);
    QApplication::restoreOverrideCursor();
}

void CMainFrame::OnStableFit(bool on) {
    m_doc.SetStableFit(on);
    QSettings().setValue("StableFit", on);
}

void CMainFrame::OnDegreeSweep() {
    if (!m_doc.OnDegreeSweep()) return;
    m_sweepView->SelectBestDegree();
    ShowSweepView(true);
}

void CMainFrame::ShowSweepView(bool on) {
    Action(ID_VIEW_SWEEP)->setChecked(on);  // re-enters once when it changes, harmlessly
    m_centre->setCurrentWidget(on ? static_cast<QWidget*>(m_sweepView) : m_view);
}

void CMainFrame::UpdateCommandUI() {
    if (QAction* compute = Action(ID_COMPUTE)) compute->setEnabled(m_doc.OnUpdateCompute());
    if (QAction* sweep = Action(ID_DEGREE_SWEEP)) sweep->setEnabled(m_doc.OnUpdateCompute());
    if (QAction* curve = Action(ID_EXPORT_CURVE)) curve->setEnabled(m_doc.FindCurrentCurve() != nullptr);
}

void CMainFrame::ApplyChartOptions() {
    m_view->SetChartOptions(ChartOptions{Action(ID_VIEW_BAND)->isChecked(), Action(ID_VIEW_ALL_CURVES)->isChecked()});
    ShowBandNote();
}

void CMainFrame::ShowBandNote() {
    const QString note =
        m_view->Options().band ? QString::fromStdString(m_doc.CachedBand().note) : QString();
    if (!note.isEmpty()) {
        statusBar()->showMessage(note);
    } else if (!m_bandNote.isEmpty() && statusBar()->currentMessage() == m_bandNote) {
        statusBar()->clearMessage();
    }
    m_bandNote = note;
}

void CMainFrame::SaveState() const {
    QSettings settings;
    settings.setValue("MainFrame/Geometry", saveGeometry());
    settings.setValue("MainFrame/State", saveState());
    settings.setValue("MainFrame/StatusBar", !statusBar()->isHidden());
    settings.setValue("MainFrame/HiddenButtons", HiddenButtons());
}

void CMainFrame::RestoreState() {
    QSettings settings;
    restoreGeometry(settings.value("MainFrame/Geometry").toByteArray());
    restoreState(settings.value("MainFrame/State").toByteArray());
    Action(ID_VIEW_STATUS_BAR)->setChecked(settings.value("MainFrame/StatusBar", true).toBool());
    SetHiddenButtons(settings.value("MainFrame/HiddenButtons", kHiddenByDefault).toStringList());
    Action(ID_VIEW_BAND)->setChecked(settings.value(kBandSetting, false).toBool());
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    SaveState();
    QMainWindow::closeEvent(event);
}
