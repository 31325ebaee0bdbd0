#include "app/ui/TrendfitApp.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "app/core/TrendfitDoc.h"
#include "app/ui/AboutDlg.h"
#include "app/ui/MainFrame.h"

CTrendfitApp theApp;

void CTrendfitApp::SetRegistryKey() {
    QCoreApplication::setOrganizationName("应用程序向导生成的本地应用程序");
    QCoreApplication::setApplicationName("Trendfit");
}

void CTrendfitApp::InstallTranslations() {
    // The program speaks Chinese whatever the user's locale, so Qt's own dialogs and
    // buttons ("确定", "取消", the file and print dialogs) do too, when Qt's translations
    // are installed. Without them they stay in English.
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(translator);
    } else {
        delete translator;
    }
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
