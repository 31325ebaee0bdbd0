// Trendfit: the window, or batch mode with --batch (see --help).

#include <QApplication>

#include <cstring>
#include <iostream>

#include "app/ui/BatchMode.h"
#include "app/ui/TrendfitApp.h"

int main(int argc, char* argv[]) {
    bool help = false;
    bool batch = false;
    for (int i = 1; i < argc; ++i) {
        help = help || std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
        batch = batch || std::strcmp(argv[i], "--batch") == 0;
    }
    if (help) {
        std::cout << trendfit::BatchUsage().toStdString();
        return 0;
    }
    // Batch mode draws into images only: it needs no display.
    if (batch && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    CTrendfitApp::SetRegistryKey();
    // Qt's own options (-style, -platform, ...) are gone from the list by now.
    const QStringList arguments = QApplication::arguments().mid(1);
    if (batch) return trendfit::RunBatch(arguments, std::cout, std::cerr);
    if (!arguments.isEmpty()) {
        std::cerr << "trendfit: unknown argument " << arguments.first().toStdString()
                  << "\n(see trendfit --help)\n";
        return 2;
    }
    CTrendfitApp::InstallTranslations();
    if (!theApp.InitInstance()) return 1;
    const int status = app.exec();
    theApp.ExitInstance();
    return status;
}
