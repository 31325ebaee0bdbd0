// Trendfit: the window, or batch mode with --batch (see --help).

#include <QApplication>

#include <iostream>

#include "app/ui/BatchMode.h"
#include "app/ui/TrendfitApp.h"

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const bool help = arguments.contains("--help") || arguments.contains("-h");
    const bool batch = arguments.contains("--batch");
    if (help) {
        std::cout << trendfit::BatchUsage().toStdString();
        return 0;
    }
    // Batch mode draws into images only: it needs no display.
    if (batch && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    CTrendfitApp::SetRegistryKey();
    if (batch) return trendfit::RunBatch(arguments, std::cout, std::cerr);
    if (!arguments.isEmpty()) {
        std::cerr << "trendfit: unknown argument " << arguments.first().toStdString()
                  << "\n(see trendfit --help)\n";
        return 2;
    }
    if (!theApp.InitInstance()) return 1;
    const int status = app.exec();
    theApp.ExitInstance();
    return status;
}
