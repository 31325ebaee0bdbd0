#pragma once

// The document's window-system services in the Qt program: the three dialogs, message
// boxes, the main window's title, repaints of the view, the millisecond clock, and long
// tasks on a worker thread with a progress dialog.

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "app/core/PlatformServices.h"

class QWidget;

class QtPlatform : public IPlatformServices {
public:
    // `window` parents the dialogs and takes the title; `view` repaints, and
    // `documentChanged` runs with every repaint request (the commands' states follow it).
    QtPlatform(QWidget* window, QWidget* view, std::function<void()> documentChanged);
    // Waits for the tasks that were cancelled but are still running (they may read the
    // clock), so none outlives the program's objects.
    ~QtPlatform() override;
    QtPlatform(const QtPlatform&) = delete;
    QtPlatform& operator=(const QtPlatform&) = delete;

    bool DoModal(CSimulationDataDlg& dlg) override;
    bool DoModal(CFileDataDlg& dlg) override;
    bool DoModal(CStartComputeDlg& dlg) override;
    bool DoModal(CDegreeSweepDlg& dlg) override;
    void MessageBox(const std::string& text) override;
    void SetWindowTitle(const std::string& title) override;
    void UpdateAllViews() override;
    std::uint64_t GetTickCount64() override { return trendfit::MonotonicMilliseconds(); }
    // Runs the task on a worker thread. For the first kProgressDelayMs the window repaints
    // but takes no input, as if the task ran on its thread; then a modal progress dialog
    // (caption "Trendfit工具", `label`, a busy bar or the task's steps, "取消") takes the input.
    bool RunCancellable(const std::function<void(ITaskProgress&)>& task, const std::string& label) override;

    static constexpr int kProgressDelayMs = 500;

    // Tasks cancelled but not yet finished, for tests.
    int RunningInBackground() const;

private:
    struct Task;
    struct Worker {
        std::thread thread;
        std::shared_ptr<Task> task;
    };
    void JoinFinishedWorkers();

    QWidget* m_window;
    QWidget* m_view;
    std::function<void()> m_documentChanged;
    std::vector<Worker> m_workers;  // every worker started and not yet joined
};
