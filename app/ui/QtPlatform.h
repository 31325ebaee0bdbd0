#pragma once

// The document's window-system services in the Qt program: the three dialogs, message
// boxes, the main window's title, repaints of the view and the millisecond clock.

#include <functional>

#include "app/core/PlatformServices.h"

class QWidget;

class QtPlatform : public IPlatformServices {
public:
    // `window` parents the dialogs and takes the title; `view` repaints, and
    // `documentChanged` runs with every repaint request (the commands' states follow it).
    QtPlatform(QWidget* window, QWidget* view, std::function<void()> documentChanged)
        : m_window(window), m_view(view), m_documentChanged(std::move(documentChanged)) {}

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
    std::function<void()> m_documentChanged;
};
