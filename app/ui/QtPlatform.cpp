#include "app/ui/QtPlatform.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <exception>

#include "app/ui/Commands.h"
#include "app/ui/DataDialogs.h"

// One task's state, shared by its worker thread and the window waiting for it. The worker
// writes `error` before it sets `finished`; `loop` belongs to the window's thread only.
struct QtPlatform::Task : ITaskProgress {
    std::function<void(ITaskProgress&)> work;
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};
    std::atomic<int> done{0};
    std::atomic<int> total{0};  // 0: no step reported, the bar shows busy
    std::exception_ptr error;
    QEventLoop* loop = nullptr;  // the loop waiting for the task, null when none does

    void SetProgress(int stepsDone, int steps) override {
        done = stepsDone;
        total = steps;
    }
    bool IsCancelled() const override { return cancelled; }
};

QtPlatform::QtPlatform(QWidget* window, QWidget* view, std::function<void()> documentChanged)
    : m_window(window), m_view(view), m_documentChanged(std::move(documentChanged)) {}

QtPlatform::~QtPlatform() {
    for (Worker& worker : m_workers) worker.thread.join();
}

bool QtPlatform::DoModal(CSimulationDataDlg& dlg) {
    return SimulationDataDialog(dlg, m_window).exec() == QDialog::Accepted;
}

bool QtPlatform::DoModal(CFileDataDlg& dlg) {
    return FileDataDialog(dlg, m_window).exec() == QDialog::Accepted;
}

bool QtPlatform::DoModal(CStartComputeDlg& dlg) {
    return StartComputeDialog(dlg, m_window).exec() == QDialog::Accepted;
}

bool QtPlatform::DoModal(CDegreeSweepDlg& dlg) {
    return DegreeSweepDialog(dlg, m_window).exec() == QDialog::Accepted;
}

void QtPlatform::MessageBox(const std::string& text) {
    QMessageBox::warning(m_window, trendfit::AppTitle(), QString::fromStdString(text));
}

void QtPlatform::SetWindowTitle(const std::string& title) {
    if (m_window != nullptr) m_window->setWindowTitle(QString::fromStdString(title));
}

void QtPlatform::UpdateAllViews() {
    if (m_view != nullptr) m_view->update();
    if (m_documentChanged) m_documentChanged();
}

int QtPlatform::RunningInBackground() const {
    int running = 0;
    for (const Worker& worker : m_workers) running += worker.task->finished ? 0 : 1;
    return running;
}

void QtPlatform::JoinFinishedWorkers() {
    for (auto it = m_workers.begin(); it != m_workers.end();) {
        if (it->task->finished) {
            it->thread.join();
            it = m_workers.erase(it);
        } else {
            ++it;
        }
    }
}

bool QtPlatform::RunCancellable(const std::function<void(ITaskProgress&)>& work, const std::string& label) {
    JoinFinishedWorkers();
    auto task = std::make_shared<Task>();
    task->work = work;
    QEventLoop loop;
    task->loop = &loop;
    m_workers.push_back(Worker{std::thread([task] {
                                   try {
                                       task->work(*task);
                                   } catch (...) {
                                       task->error = std::current_exception();
                                   }
                                   task->finished = true;
                                   // Wakes the waiting window through its own event queue.
                                   QMetaObject::invokeMethod(
                                       QCoreApplication::instance(),
                                       [task] {
                                           if (task->loop != nullptr) task->loop->quit();
                                       },
                                       Qt::QueuedConnection);
                               }),
                               task});

    // A short task: the window repaints meanwhile, and clicks and keys wait until it ends,
    // as they would if the task ran on this thread.
    QTimer::singleShot(kProgressDelayMs, &loop, &QEventLoop::quit);
    if (!task->finished) loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!task->finished) {
        QProgressDialog progress(QString::fromStdString(label), "取消", 0, 0, m_window);
        progress.setWindowTitle(trendfit::AppTitle());
        progress.setMinimumWidth(320);
        progress.setWindowModality(Qt::ApplicationModal);
        progress.setMinimumDuration(0);
        progress.setAutoClose(false);
        progress.setAutoReset(false);
        QObject::connect(&progress, &QProgressDialog::canceled, &loop, &QEventLoop::quit);
        QTimer steps;
        QObject::connect(&steps, &QTimer::timeout, &progress, [&progress, &task] {
            if (task->total > 0) {
                progress.setMaximum(task->total);
                progress.setValue(task->done);
            }
        });
        steps.start(100);
        progress.show();
        while (!task->finished && !progress.wasCanceled()) loop.exec();
    }
    task->loop = nullptr;

    if (!task->finished) {
        // The fit cannot be interrupted: its worker runs on and its result is dropped.
        task->cancelled = true;
        return false;
    }
    JoinFinishedWorkers();
    if (task->error) std::rethrow_exception(task->error);
    return true;
}
