// Not a check: saves a picture of the window after a coloured run for the README.
// Run under Xvfb: xvfb-run -a env QT_QPA_PLATFORM=xcb TOLVANE_SCREENSHOT=docs/screenshot.png
//   build/tests/app/app_tests --gtest_also_run_disabled_tests --gtest_filter='*Screenshot*'
#include "support/qt/test_window.h"

#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace tolvane {
namespace {

TEST(Screenshot, DISABLED_WindowAfterAColouredRun) {
    const char* target = std::getenv("TOLVANE_SCREENSHOT");
    if (target == nullptr)
        GTEST_SKIP() << "TOLVANE_SCREENSHOT names the picture to write";
    std::ifstream list(TOLVANE_SOURCE_DIR "/docs/demo-numbers.txt", std::ios::binary);
    const std::string numbers((std::istreambuf_iterator<char>(list)),
                              std::istreambuf_iterator<char>());
    test::TestWindow t({.simulator = true, .trayAvailable = false, .delay = "500"});
    t.window().show();
    SetNumberBoxText(*t.parts().numberBox, numbers);
    t.window().runs().QueryButtonClicked();
    ASSERT_TRUE(t.waitForRunEnd());
    QTest::qWait(200);
    ASSERT_TRUE(t.window().grab().save(QString::fromLocal8Bit(target)));
}

} // namespace
} // namespace tolvane
