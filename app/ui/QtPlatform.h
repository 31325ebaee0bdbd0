#pragma once

// The document's window-system services in the Qt program: the three dialogs, message
// boxes, the main window's title, repaints of the view and the millisecond clock.

#include "app/core/PlatformServices.h"

class QWidget;

class QtPlatform : public IPlatformServices {
public:
    // `window` parents the dialogs and takes the title; `view` repaints.
    QtPlatform(QWidget* window, QWidget* view) : m_window(window), m_view(view) {}

    bool DoModal(CSimulationDataDlg& dlg) override;
    bool DoModal(CFileDataDlg& dlg) override;
    bool DoModal(CStartComputeDlg& dlg) override;
    void MessageBox(const std::string& text) override;
    void SetWindowTitle(const std::string& title) override;
    void UpdateAllViews() override;
    std::uint64_t GetTickCount64() override { return trendfit::MonotonicMilliseconds(); }

private:
    QWidget* m_window;
    QWidget* m_view;
};
