#pragma once

// What the document needs from the window system, as one small interface. The Qt program
// implements it with real dialogs, message boxes and its main window; batch mode fills the
// dialogs from its command line; the tests fake it.

#include <cstdint>
#include <string>

class CSimulationDataDlg;
class CFileDataDlg;
class CStartComputeDlg;

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

    // Shows a message box with an OK button and waits until it is closed.
    virtual void MessageBox(const std::string& text) = 0;

    // Sets the main window's title.
    virtual void SetWindowTitle(const std::string& title) = 0;

    // Asks every view of the document to repaint soon (it pulls CTrendfitDoc::GetChartData).
    virtual void UpdateAllViews() = 0;

    // A millisecond tick count that never goes backwards (MonotonicMilliseconds is a ready
    // implementation).
    virtual std::uint64_t GetTickCount64() = 0;
};

namespace trendfit {

// Milliseconds of the system's steady clock.
std::uint64_t MonotonicMilliseconds();

}  // namespace trendfit
