#pragma once

// What the document needs from the window system, as one small interface. The Qt program
// implements it with real dialogs, message boxes and its main window; batch mode fills the
// dialogs from its command line; the tests fake it.

#include <cstdint>
#include <functional>
#include <string>

class CSimulationDataDlg;
class CFileDataDlg;
class CStartComputeDlg;
class CDegreeSweepDlg;

// How a long task reports its progress and learns that the user cancelled it. The task may
// run on another thread: it touches only its own data and this object.
class ITaskProgress {
public:
    virtual ~ITaskProgress() = default;
    // `done` of `total` steps are finished. Until the first report the progress shows busy.
    virtual void SetProgress(int done, int total) = 0;
    // Whether the user cancelled; a task of several steps checks it between them and stops.
    virtual bool IsCancelled() const = 0;
};

class IPlatformServices {
public:
    virtual ~IPlatformServices() = default;

    // Runs the dialog modally and answers true exactly when it ended with OK. The dialog
    // arrives with its defaults set (the model's constructor). An implementation shows
    // dlg.ToControls(), and on OK calls dlg.FromControls(...) with the controls' state,
    // keeps the dialog open with the returned message while that fails, and closes with
    // OK once it succeeds. After OK the document reads the dialog's members.
    virtual bool DoModal(CSimulationDataDlg& dlg) = 0;
    // As above; the file button calls dlg.OnChooseFile with the chosen path.
    virtual bool DoModal(CFileDataDlg& dlg) = 0;
    // As above; the check boxes enable their weight fields by
    // CStartComputeDlg::IsWeightFieldEnabled.
    virtual bool DoModal(CStartComputeDlg& dlg) = 0;
    // As above, for the degree sweep, its check boxes as the compute dialog's.
    virtual bool DoModal(CDegreeSweepDlg& dlg) = 0;

    // Shows a message box with an OK button and waits until it is closed.
    virtual void MessageBox(const std::string& text) = 0;

    // Sets the main window's title.
    virtual void SetWindowTitle(const std::string& title) = 0;

    // Asks every view of the document to repaint soon (it pulls CTrendfitDoc::GetChartData).
    virtual void UpdateAllViews() = 0;

    // A millisecond tick count that never goes backwards (MonotonicMilliseconds is a ready
    // implementation). A task that RunCancellable runs may read it from its own thread.
    virtual std::uint64_t GetTickCount64() = 0;

    // Runs `task` and answers true when it ran to its end, false when the user cancelled it.
    // The window runs it on a worker thread and keeps repainting; past half a second it shows
    // a progress dialog with `label` and "取消". Cancelling answers false at once; a task that
    // is still running then finishes in the background and its results must be dropped, so
    // the task owns everything it works on (copies, shared state). An exception the task
    // throws comes out of this call. The default runs the task here, never cancelled.
    virtual bool RunCancellable(const std::function<void(ITaskProgress&)>& task, const std::string& label);
};

namespace trendfit {

// Milliseconds of the system's steady clock.
std::uint64_t MonotonicMilliseconds();

// Runs `task` here to its end, with a progress nobody watches or cancels.
void RunInPlace(const std::function<void(ITaskProgress&)>& task);

}  // namespace trendfit
