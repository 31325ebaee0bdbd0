#include "app/ui/TrendfitApp.h"

#include <QCoreApplication>

#include "app/core/TrendfitDoc.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/MainFrame.h"

CTrendfitApp theApp;

void CTrendfitApp::SetRegistryKey() {
    QCoreApplication::setOrganizationName("应用程序向导生成的本地应用程序");
    QCoreApplication::setApplicationName("Trendfit");
}

bool CTrendfitApp::InitInstance() {
    SetRegistryKey();
    m_doc = std::make_unique<CTrendfitDoc>();
    m_frame = std::make_unique<CMainFrame>(*m_doc);
    m_frame->show();
    return true;
}

int CTrendfitApp::ExitInstance() {
    m_frame.reset();
    m_doc.reset();
    return 0;
}

void CTrendfitApp::OnAppAbout(QWidget* parent) {
    CAboutDlg about(parent);
    about.exec();
}
