// The three input dialogs over their models: what they show when they open, the order in
// which they check their fields, and that a refused value keeps them open with the field
// focused and the message shown. Then the progress dialog of a long task.

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QRadioButton>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>

#include "app/core/DegreeSweepDlg.h"
#include "app/core/FileDataDlg.h"
#include "app/core/SimulationDataDlg.h"
#include "app/core/StartComputeDlg.h"
#include "app/ui/DataDialogs.h"
#include "app/ui/QtPlatform.h"
#include "tests/app/ui/UiTestSupport.h"

using ui_test::SetText;
using ui_test::Text;

namespace {

const QString kLargestDouble = "1.79769313486232e+308";

QStringList LabelTexts(QWidget* dialog) {
    QStringList texts;
    for (QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
    return texts;
}

QStringList GroupTitles(QWidget* dialog) {
    QStringList titles;
    for (QGroupBox* box : dialog->findChildren<QGroupBox*>()) titles << box->title();
    return titles;
}

bool Checked(QWidget* dialog, int id) {
    auto* button = ui_test::Child<QAbstractButton>(dialog, QString::number(id));
    return button != nullptr && button->isChecked();
}

// Presses OK on a dialog that is shown (not run by exec); a refusal's message box is closed
// and its text returned. Returns a null string when no message box came up. Every refusal
// is captioned with the application title.
QString PressOk(QWidget* dialog) {
    ui_test::MessageBoxWatch box;
    ui_test::ClickOk(dialog);
    if (box.Seen() && box.Title() != "Trendfit工具") return "caption " + box.Title();
    return box.Text();
}

// Presses OK expecting the dialog to accept at once (no message box).
bool Accepts(QDialog* dialog) {
    ui_test::ClickOk(dialog);
    return dialog->result() == QDialog::Accepted && !dialog->isVisible();
}

QString FocusName(QWidget* dialog) {
    QWidget* focus = dialog->focusWidget();
    return focus == nullptr ? QString() : focus->objectName();
}

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Presses a progress dialog's 取消 button, as the user does.
void ClickCancel(QProgressDialog* dialog) {
    if (auto* button = dialog->findChild<QPushButton*>()) button->click();
}

// A window that notes whether it was painted while a task ran on another thread.
class PaintWatch : public QWidget {
public:
    std::atomic<bool> taskRunning{false};
    bool paintedDuringTask = false;

protected:
    void paintEvent(QPaintEvent*) override {
        if (taskRunning) paintedDuringTask = true;
    }
};

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString WriteFile(const QString& name, const QByteArray& content) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return {};
        file.write(content);
        return path;
    }

private slots:
    // ---- simulated data ----

    void simulationDialogShowsItsDefaults() {
        CSimulationDataDlg model;
        SimulationDataDialog dialog(model);
        QCOMPARE(dialog.windowTitle(), QString("模拟数据"));
        QCOMPARE(Text(&dialog, 1008), QString("20"));
        QCOMPARE(Text(&dialog, 1005), QString("1000"));
        QCOMPARE(Text(&dialog, 1003), QString("-3"));
        QCOMPARE(Text(&dialog, 1004), QString("3"));
        QCOMPARE(Text(&dialog, 1009), QString("0.1"));
        QVERIFY(Checked(&dialog, 1000));
        QVERIFY(!Checked(&dialog, 1001));
        QVERIFY(!Checked(&dialog, 1002));
        QVERIFY(Checked(&dialog, 1006));
        QVERIFY(!Checked(&dialog, 1007));
        QCOMPARE(ui_test::Child<QAbstractButton>(&dialog, "1000")->text(), QString("y=sin(x)"));
        QCOMPARE(ui_test::Child<QAbstractButton>(&dialog, "1001")->text(), QString("y=x*x"));
        QCOMPARE(ui_test::Child<QAbstractButton>(&dialog, "1002")->text(), QString("y=1/x(x>0)"));
        QCOMPARE(ui_test::Child<QAbstractButton>(&dialog, "1006")->text(), QString("均匀分布"));
        QCOMPARE(ui_test::Child<QAbstractButton>(&dialog, "1007")->text(), QString("正态分布"));
        const QStringList labels = LabelTexts(&dialog);
        for (const char* text : {"数值范围", "---", "数值个数", "模拟数据噪声误差值", "测试数据占比", "%"}) {
            QVERIFY2(labels.contains(text), text);
        }
        QCOMPARE(GroupTitles(&dialog), (QStringList{"选择模拟数据函数", "自变量x", "数据误差"}));
        QCOMPARE(ui_test::Child<QPushButton>(&dialog, "IDOK")->text(), QString("确定"));
        QCOMPARE(ui_test::Child<QPushButton>(&dialog, "IDCANCEL")->text(), QString("取消"));
        QVERIFY(ui_test::Child<QPushButton>(&dialog, "IDOK")->isDefault());
    }

    void simulationDialogChecksInExchangeOrder() {
        CSimulationDataDlg model;
        SimulationDataDialog dialog(model);
        dialog.show();

        // The percentage comes first, so its message wins over the count's.
        SetText(&dialog, 1008, "100.5");
        SetText(&dialog, 1005, "0");
        QCOMPARE(PressOk(&dialog), QString("请输入一个介于 0 和 100 之间的数字。"));
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.result() != QDialog::Accepted);
        QCOMPARE(FocusName(&dialog), QString("1008"));
        QCOMPARE(model.m_dTestPercent, 20.0);

        // 100 is allowed; the fields before the failing count are already copied.
        SetText(&dialog, 1008, "100");
        QCOMPARE(PressOk(&dialog), QString("请输入一个介于 1 和 100000 之间的整数。"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(FocusName(&dialog), QString("1005"));
        QCOMPARE(model.m_dTestPercent, 100.0);
        QCOMPARE(model.m_nCount, 1000);

        SetText(&dialog, 1005, "100001");
        QCOMPARE(PressOk(&dialog), QString("请输入一个介于 1 和 100000 之间的整数。"));
        SetText(&dialog, 1005, "12.5");
        QCOMPARE(PressOk(&dialog), QString("请输入一个整数。"));
        QCOMPARE(FocusName(&dialog), QString("1005"));

        SetText(&dialog, 1005, "100000");
        SetText(&dialog, 1004, "abc");
        QCOMPARE(PressOk(&dialog), QString("请输入一个数字。"));
        QCOMPARE(FocusName(&dialog), QString("1004"));
        QCOMPARE(model.m_nCount, 100000);

        SetText(&dialog, 1004, "5");
        SetText(&dialog, 1003, "1");
        SetText(&dialog, 1009, "-0.5");
        ui_test::Child<QAbstractButton>(&dialog, "1002")->click();
        ui_test::Child<QAbstractButton>(&dialog, "1007")->click();
        QCOMPARE(PressOk(&dialog), "请输入一个介于 0 和 " + kLargestDouble + " 之间的数字。");
        QCOMPARE(FocusName(&dialog), QString("1009"));
        // The radio groups come before the noise value: already copied.
        QCOMPARE(model.m_nFunction, 2);
        QCOMPARE(model.m_nNoiseType, 1);
        QCOMPARE(model.m_dNoise, 0.1);
        QVERIFY(dialog.isVisible());

        SetText(&dialog, 1009, "0");
        QVERIFY(Accepts(&dialog));
        QCOMPARE(model.m_dTestPercent, 100.0);
        QCOMPARE(model.m_nCount, 100000);
        QCOMPARE(model.m_dXMax, 5.0);
        QCOMPARE(model.m_dXMin, 1.0);
        QCOMPARE(model.m_dNoise, 0.0);
    }

    void cancelLeavesTheModelAsItWas() {
        CSimulationDataDlg model;
        SimulationDataDialog dialog(model);
        dialog.show();
        SetText(&dialog, 1005, "5");
        ui_test::Child<QPushButton>(&dialog, "IDCANCEL")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(model.m_nCount, 1000);
    }

    // ---- data import ----

    void fileDialogShowsItsDefaults() {
        CFileDataDlg model;
        FileDataDialog dialog(model);
        QCOMPARE(dialog.windowTitle(), QString("数据导入"));
        QCOMPARE(Text(&dialog, 1011), QString(""));
        QCOMPARE(Text(&dialog, 1013), QString("0"));
        QCOMPARE(Text(&dialog, 1014), QString("20"));
        QVERIFY(ui_test::Child<QLineEdit>(&dialog, "1011")->isReadOnly());
        QVERIFY(ui_test::Child<QLineEdit>(&dialog, "1013")->isReadOnly());
        QVERIFY(!ui_test::Child<QLineEdit>(&dialog, "1014")->isReadOnly());
        QCOMPARE(ui_test::Child<QPushButton>(&dialog, "1012")->text(), QString("选择文件"));
        const QStringList labels = LabelTexts(&dialog);
        for (const char* text : {"数据文件", "数据个数", "测试数据占比", "%"}) QVERIFY2(labels.contains(text), text);
    }

    void readingATwoColumnFileShowsPathAndCount() {
        const QString path = WriteFile("five.csv", "x,y\n1,2\n2,4\n3,6\n4,8\n5,10\n");
        CFileDataDlg model;
        FileDataDialog dialog(model);
        dialog.show();
        // The read refreshes every control, the percentage box included.
        SetText(&dialog, 1014, "35");
        ui_test::MessageBoxWatch box;
        dialog.OnChooseFile(path);
        QTest::qWait(30);
        QVERIFY(!box.Seen());
        QCOMPARE(Text(&dialog, 1011), path);
        QCOMPARE(Text(&dialog, 1013), QString("5"));
        QCOMPARE(Text(&dialog, 1014), QString("20"));
        QCOMPARE(QString::fromStdString(model.m_strFileName), QString("five.csv"));
        QVERIFY(dialog.isVisible());

        SetText(&dialog, 1014, "100");
        QVERIFY(Accepts(&dialog));
        QCOMPARE(model.m_fTestPercent, 100.0f);
        QCOMPARE(model.m_nCount, 5);
    }

    void aFileOfThreeColumnsIsRefused() {
        const QString good = WriteFile("two.csv", "x,y\n1,2\n2,4\n");
        const QString three = WriteFile("three.csv", "a,b,c\n1,2,3\n4,5,6\n7,8,9\n");
        CFileDataDlg model;
        FileDataDialog dialog(model);
        dialog.show();
        dialog.OnChooseFile(good);
        QCOMPARE(Text(&dialog, 1013), QString("2"));

        ui_test::MessageBoxWatch box;
        dialog.OnChooseFile(three);
        QCOMPARE(box.Text(), QString("文件数据格式不对，可能不是2列数据！"));
        // The controls keep what they showed; the dialog stays open.
        QCOMPARE(Text(&dialog, 1013), QString("2"));
        QCOMPARE(Text(&dialog, 1011), good);
        QVERIFY(dialog.isVisible());
    }

    void aMissingFileIsRefused() {
        CFileDataDlg model;
        FileDataDialog dialog(model);
        dialog.show();
        ui_test::MessageBoxWatch box;
        dialog.OnChooseFile(m_dir.filePath("absent.csv"));
        QCOMPARE(box.Text(), QString("文件打开失败！"));
        QCOMPARE(Text(&dialog, 1011), QString(""));
        QCOMPARE(Text(&dialog, 1013), QString("0"));
        QVERIFY(dialog.isVisible());
    }

    void filePercentageAboveHundredIsRefused() {
        CFileDataDlg model;
        FileDataDialog dialog(model);
        dialog.show();
        SetText(&dialog, 1014, "100.5");
        QCOMPARE(PressOk(&dialog), QString("请输入一个介于 0 和 100 之间的数字。"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(FocusName(&dialog), QString("1014"));
        SetText(&dialog, 1014, "-1");
        QCOMPARE(PressOk(&dialog), QString("请输入一个介于 0 和 100 之间的数字。"));
        SetText(&dialog, 1014, "");
        QCOMPARE(PressOk(&dialog), QString("请输入一个数字。"));
        QCOMPARE(model.m_fTestPercent, 20.0f);
    }

    void okWithoutAFileIsRefused() {
        CFileDataDlg model;
        FileDataDialog dialog(model);
        dialog.show();
        QCOMPARE(PressOk(&dialog), QString("请先选择数据文件。"));
        QVERIFY(dialog.isVisible());
        QCOMPARE(FocusName(&dialog), QString("1012"));
        // A cell that is not a number is told in Chinese, naming the file; OK then passes
        // (the import itself reports what the file lacks).
        const QString bad = WriteFile("words.csv", "x,y\n1,one\n");
        ui_test::MessageBoxWatch box;
        dialog.OnChooseFile(bad);
        QCOMPARE(box.Text(), "文件中有无法转换为数字的内容：" + bad);
        QVERIFY(Accepts(&dialog));
    }

    // ---- start compute ----

    void computeDialogShowsItsDefaults() {
        CStartComputeDlg model;
        StartComputeDialog dialog(model);
        QCOMPARE(dialog.windowTitle(), QString("开始计算"));
        QCOMPARE(Text(&dialog, 1013), QString("1"));
        QCOMPARE(Text(&dialog, 1018), QString("0"));
        QCOMPARE(Text(&dialog, 1016), QString("0"));
        QVERIFY(!ui_test::Child<QWidget>(&dialog, "1018")->isEnabled());
        QVERIFY(!ui_test::Child<QWidget>(&dialog, "1016")->isEnabled());
        QVERIFY(!Checked(&dialog, 1017));
        QVERIFY(!Checked(&dialog, 1015));
        QCOMPARE(ui_test::Child<QCheckBox>(&dialog, "1017")->text(), QString("L1 lasso回归"));
        QCOMPARE(ui_test::Child<QCheckBox>(&dialog, "1015")->text(), QString("L2 岭回归(Ridge)"));
        QVERIFY(LabelTexts(&dialog).contains("线性次数"));
        QCOMPARE(ui_test::Child<QPushButton>(&dialog, "IDOK")->text(), QString("开始计算"));
        QCOMPARE(ui_test::Child<QPushButton>(&dialog, "IDCANCEL")->text(), QString("取消"));
    }

    void typingIntoAFreshDialogReplacesTheFirstValue() {
        // The first edit comes up with its text selected, as a dialog's first field does:
        // typing "3" gives degree 3, not 13.
        CStartComputeDlg model;
        StartComputeDialog dialog(model);
        QString focus;
        ui_test::ModalWatch<StartComputeDialog> watch([&](StartComputeDialog* d) {
            QTRY_VERIFY(QApplication::focusWidget() != nullptr);
            focus = QApplication::focusWidget()->objectName();
            QTest::keyClicks(QApplication::focusWidget(), "3");
            ui_test::ClickOkOrCancel(d);
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(focus, QString("1013"));
        QCOMPARE(model.m_nDegree, 3);
    }

    void weightFieldsFollowTheirBoxes() {
        CStartComputeDlg model;
        StartComputeDialog dialog(model);
        auto* lasso = ui_test::Child<QCheckBox>(&dialog, "1017");
        auto* ridge = ui_test::Child<QCheckBox>(&dialog, "1015");
        QWidget* l1 = ui_test::Child<QWidget>(&dialog, "1018");
        QWidget* l2 = ui_test::Child<QWidget>(&dialog, "1016");
        lasso->click();
        QVERIFY(l1->isEnabled());
        QVERIFY(!l2->isEnabled());
        ridge->click();
        QVERIFY(l2->isEnabled());
        lasso->click();
        QVERIFY(!l1->isEnabled());
        QVERIFY(l2->isEnabled());
        ridge->click();
        QVERIFY(!l2->isEnabled());
    }

    void computeDialogRefusesDegreeZeroAndNegativeWeights() {
        CStartComputeDlg model;
        StartComputeDialog dialog(model);
        dialog.show();
        SetText(&dialog, 1013, "0");
        SetText(&dialog, 1016, "-1");
        QCOMPARE(PressOk(&dialog), QString("请输入一个介于 1 和 2147483647 之间的整数。"));
        QCOMPARE(FocusName(&dialog), QString("1013"));
        QVERIFY(dialog.isVisible());
        SetText(&dialog, 1013, "2147483648");
        QCOMPARE(PressOk(&dialog), QString("请输入一个整数。"));

        // A negative weight is refused even while its box is clear and its field disabled.
        SetText(&dialog, 1013, "4");
        QCOMPARE(PressOk(&dialog), "请输入一个介于 0 和 " + kLargestDouble + " 之间的数字。");
        QCOMPARE(model.m_nDegree, 4);
        QCOMPARE(model.m_dLambdaL2, 0.0);
        QVERIFY(dialog.isVisible());

        // The disabled field cannot take the focus: its check box does, to open it again.
        QCOMPARE(FocusName(&dialog), QString("1015"));

        // An enabled field that is refused takes the focus itself.
        ui_test::Child<QCheckBox>(&dialog, "1015")->click();
        QCOMPARE(PressOk(&dialog), "请输入一个介于 0 和 " + kLargestDouble + " 之间的数字。");
        QCOMPARE(FocusName(&dialog), QString("1016"));
        SetText(&dialog, 1016, "0.25");
        QVERIFY(Accepts(&dialog));
        QCOMPARE(model.m_nDegree, 4);
        QCOMPARE(model.m_dLambdaL2, 0.25);
        QCOMPARE(model.m_bRidge, 1);
        QCOMPARE(model.m_bLasso, 0);
    }

    // ---- degree sweep ----

    void sweepDialogShowsItsRangeAndWeightsAndRefusesBadRanges() {
        CDegreeSweepDlg model;
        model.m_bRidge = 1;  // a box set in the model opens its field when the dialog comes up
        DegreeSweepDialog dialog(model);
        QCOMPARE(dialog.windowTitle(), QString("阶数扫描"));
        QCOMPARE(Text(&dialog, 1021), QString("1"));
        QCOMPARE(Text(&dialog, 1022), QString("15"));
        QVERIFY(LabelTexts(&dialog).contains("最低阶数"));
        QVERIFY(LabelTexts(&dialog).contains("最高阶数"));
        QCOMPARE(ui_test::Child<QPushButton>(&dialog, "IDOK")->text(), QString("开始扫描"));
        QVERIFY(!ui_test::Child<QWidget>(&dialog, "1018")->isEnabled());
        QVERIFY(ui_test::Child<QWidget>(&dialog, "1016")->isEnabled());
        ui_test::Child<QCheckBox>(&dialog, "1017")->click();
        QVERIFY(ui_test::Child<QWidget>(&dialog, "1018")->isEnabled());
        ui_test::Child<QCheckBox>(&dialog, "1017")->click();

        dialog.show();
        SetText(&dialog, 1021, "9");
        SetText(&dialog, 1022, "4");
        QCOMPARE(PressOk(&dialog), QString("最高阶数不能低于最低阶数。"));
        QCOMPARE(FocusName(&dialog), QString("1022"));
        // A negative weight behind a clear box sends the focus to the box.
        SetText(&dialog, 1022, "12");
        SetText(&dialog, 1018, "-1");
        QCOMPARE(PressOk(&dialog), "请输入一个介于 0 和 " + kLargestDouble + " 之间的数字。");
        QCOMPARE(FocusName(&dialog), QString("1017"));
        SetText(&dialog, 1018, "0");
        QVERIFY(Accepts(&dialog));
        QCOMPARE(model.m_nLowDegree, 9);
        QCOMPARE(model.m_nHighDegree, 12);
        QCOMPARE(model.m_bRidge, 1);
    }

    // ---- long tasks ----

    void shortTaskRunsOnAWorkerWithoutADialog() {
        QWidget window;
        QtPlatform platform(&window, nullptr, {});
        ui_test::ModalWatch<QProgressDialog> watch(ClickCancel);
        std::thread::id worker;
        QVERIFY(platform.RunCancellable([&worker](ITaskProgress&) { worker = std::this_thread::get_id(); }, "x"));
        QVERIFY(worker != std::thread::id());
        QVERIFY(worker != std::this_thread::get_id());
        QVERIFY(!watch.Seen());
        // The task's exception comes out of the call, on this thread.
        QString thrown;
        try {
            platform.RunCancellable([](ITaskProgress&) { throw std::runtime_error("失败"); }, "x");
        } catch (const std::runtime_error& e) {
            thrown = e.what();
        }
        QCOMPARE(thrown, QString("失败"));
    }

    void windowRepaintsWhileATaskRuns() {
        PaintWatch window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QtPlatform platform(&window, &window, {});
        QTimer::singleShot(100, &window, [&window] { window.update(); });
        QVERIFY(platform.RunCancellable(
            [&window](ITaskProgress&) {
                window.taskRunning = true;
                Sleep(400);
                window.taskRunning = false;
            },
            "x"));
        QVERIFY(window.paintedDuringTask);
    }

    void longTaskShowsProgressAndCanBeCancelled() {
        QWidget window;
        QtPlatform platform(&window, nullptr, {});
        QElapsedTimer clock;
        qint64 shownAfter = -1;
        QString label, title, button;
        int maximum = -1, value = -1;
        bool modal = false;
        ui_test::ModalWatch<QProgressDialog> watch([&](QProgressDialog* d) {
            shownAfter = clock.elapsed();
            label = d->labelText();
            title = d->windowTitle();
            modal = QApplication::activeModalWidget() == d;
            // The bar follows the task's steps within its refresh interval.
            static_cast<void>(QTest::qWaitFor([d] { return d->maximum() == 4; }, 2000));
            maximum = d->maximum();
            value = d->value();
            button = d->findChild<QPushButton*>()->text();
            ClickCancel(d);
        });
        std::atomic<bool> release{false};
        std::atomic<bool> sawCancel{false};
        clock.start();
        const bool finished = platform.RunCancellable(
            [&](ITaskProgress& progress) {
                progress.SetProgress(1, 4);
                while (!release) Sleep(5);
                sawCancel = progress.IsCancelled();
            },
            "正在计算3次曲线...");
        QVERIFY(!finished);
        QVERIFY(watch.Seen());
        QVERIFY2(shownAfter >= QtPlatform::kProgressDelayMs, qPrintable(QString::number(shownAfter)));
        QCOMPARE(label, QString("正在计算3次曲线..."));
        QCOMPARE(title, QString("Trendfit工具"));
        QCOMPARE(button, QString("取消"));
        QCOMPARE(maximum, 4);
        QCOMPARE(value, 1);
        QVERIFY(modal);
        // The call did not wait for the task: it runs on, told that it was cancelled.
        QCOMPARE(platform.RunningInBackground(), 1);
        release = true;
        QTRY_COMPARE(platform.RunningInBackground(), 0);
        QVERIFY(sawCancel);
    }

    void closingWaitsForCancelledTasks() {
        QWidget window;
        auto platform = std::make_unique<QtPlatform>(&window, nullptr, std::function<void()>());
        ui_test::ModalWatch<QProgressDialog> watch(ClickCancel);
        std::atomic<bool> ended{false};
        QVERIFY(!platform->RunCancellable(
            [&ended](ITaskProgress&) {
                Sleep(900);
                ended = true;
            },
            "x"));
        QVERIFY(!ended);
        platform.reset();
        QVERIFY(ended);
    }
};

QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
