#include "app/ui/QtPlatform.h"

#include <QMessageBox>
#include <QWidget>

#include "app/ui/Commands.h"
#include "app/ui/DataDialogs.h"

bool QtPlatform::DoModal(CSimulationDataDlg& dlg) {
    return SimulationDataDialog(dlg, m_window).exec() == QDialog::Accepted;
}

bool QtPlatform::DoModal(CFileDataDlg& dlg) {
    return FileDataDialog(dlg, m_window).exec() == QDialog::Accepted;
}

bool QtPlatform::DoModal(CStartComputeDlg& dlg) {
    return StartComputeDialog(dlg, m_window).exec() == QDialog::Accepted;
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
