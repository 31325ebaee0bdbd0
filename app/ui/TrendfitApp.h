#pragma once

// The application object: settings identity, start-up of the document, main frame and
// view, the application look and the about box.

#include <memory>

class CTrendfitDoc;
class CMainFrame;
class QWidget;

class CTrendfitApp {
public:
    CTrendfitApp() = default;
    CTrendfitApp(const CTrendfitApp&) = delete;
    CTrendfitApp& operator=(const CTrendfitApp&) = delete;

    // Creates the document, the main frame (which applies the stored look) and its view,
    // and shows the window. Needs a QApplication.
    bool InitInstance();
    // Closes the window and destroys frame and document.
    int ExitInstance();
    // Shows the about box modally.
    void OnAppAbout(QWidget* parent);

    CMainFrame* MainFrame() const { return m_frame.get(); }
    CTrendfitDoc* Document() const { return m_doc.get(); }

    // Names the per-user settings store: organisation "应用程序向导生成的本地应用程序",
    // application "Trendfit". Every QSettings() of the program then uses it.
    static void SetRegistryKey();
    // Installs Qt's Chinese texts for its standard dialogs and buttons; call it once, after
    // the application object exists. The window uses them; batch mode speaks English.
    static void InstallTranslations();

    bool m_bHiColorIcons = true;
    unsigned m_nAppLook = 210;  // the current look; the frame reads "ApplicationLook"

private:
    std::unique_ptr<CTrendfitDoc> m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

extern CTrendfitApp theApp;
