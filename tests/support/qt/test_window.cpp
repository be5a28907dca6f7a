#include "support/qt/test_window.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QUrl>

namespace tolvane::test {

AppServices TestServices(ScriptedPrompts& prompts, const ServiceHosts& hosts) {
    AppServices services;
    services.prompts = &prompts;
    services.hosts = hosts;
    services.clock = [] { return TestWindow::FixedTime(); };
    services.trayAvailable = [] { return false; };
    return services;
}

namespace {

ServiceHosts NobodyListening() {
    ServiceHosts hosts;
    hosts.detect = "127.0.0.1:1";
    hosts.detail = "127.0.0.1:1";
    return hosts;
}

} // namespace

TestWindow::TestWindow(Options options) {
    if (options.simulator)
        sim_.emplace();
    AppServices services = TestServices(prompts_, sim_ ? SimHosts(*sim_) : NobodyListening());
    services.runDirectory = dir_.path().string();
    services.openLink = [this](const QUrl& link) {
        links_.push_back(link.toString().toStdString());
    };
    const bool tray = options.trayAvailable;
    services.trayAvailable = [tray] { return tray; };
    services.exitProgram = [this] { ++exitCalls_; };
    window_ = std::make_unique<MainWindow>(std::move(services));
    window_->findChild<QLineEdit*>(QStringLiteral("编辑框3"))
        ->setText(QString::fromStdString(options.delay));
}

TestWindow::~TestWindow() {
    // Workers write into the window; let them finish before it goes.
    waitForRunEnd();
    QElapsedTimer waited;
    waited.start();
    while (InFlightCount.load() != 0 && waited.elapsed() < 60000)
        QTest::qWait(5);
}

void TestWindow::setNumbers(const std::string& utf8CrLf) {
    SetNumberBoxText(*window_->parts().numberBox, Gbk(utf8CrLf));
}

std::string TestWindow::cell(int row, int column) const {
    return ToUtf8(window_->parts().table->cellText(row, column));
}

std::string TestWindow::status() const {
    return ToUtf8(window_->statusText());
}

QAction* TestWindow::action(const char* menu, const char* item) const {
    return window_->findChild<QMenu*>(QString::fromUtf8(menu))
        ->findChild<QAction*>(QString::fromUtf8(item));
}

bool TestWindow::waitForRunEnd(int timeoutMs) {
    QElapsedTimer waited;
    waited.start();
    while (window_->runActive()) {
        if (waited.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

} // namespace tolvane::test
