// Tolvane: the desktop program. Everything lives in MainWindow; this only wires
// the real services in.
#include "app/auto_query.h"
#include "app/detail_copy.h"
#include "app/main_window.h"
#include "app/screen_dock.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    tolvane::QtPrompts prompts;
    tolvane::AppServices services;
    services.prompts = &prompts;
    services.hosts = tolvane::ServiceHosts::FromEnvironment();
    services.runDirectory = QCoreApplication::applicationDirPath().toStdString();
    services.features = {tolvane::InstallAutoQuery, tolvane::InstallDetailCopy,
                         tolvane::InstallScreenDock};

    tolvane::MainWindow window(std::move(services));
    window.show();
    QTimer::singleShot(0, &window, [&window] { window.runStartUp(); });
    const int status = app.exec();
    // Detached threads (a table fill, a finishing worker) may still be about; end
    // without static destructors pulling the application out from under them.
    std::fflush(nullptr);
    std::_Exit(status);
}
