// The main window's bounds: its frame, title bar and borders included, fits the screen's
// available area and lies on it; bounds that fit stay exactly.
#include "window_fixture.h"

#include "main_form_bounds.h"
#include "status_bar.h"

#include <QProcess>
#include <QScreen>
#include <QTest>
#include <cstdlib>

namespace {

TEST(FormBounds, FrameFitsTheAreaAndBoundsThatFitStay) {
    const QMargins frame(1, 20, 1, 5);
    const QRect screen(0, 0, 1600, 1000);
    struct Case {
        int32_t left, top, width, height;
        QMargins frame;
        QRect area;
        FormBounds expected;
    } cases[] = {
        // The screen's size: the title bar would push the bottom off the screen.
        {0, 0, 1600, 1000, frame, screen, {0, 0, 1598, 975}},
        {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, frame, screen, {0, 0, 1598, 975}},
        {INT32_MIN, INT32_MIN, 20000, 20000, frame, screen, {0, 0, 1598, 975}},
        // Too far right and down: moved back until the whole frame is on the screen.
        {1000, 700, 700, 500, frame, screen, {898, 475, 700, 500}},
        {-50, -3, 700, 500, frame, screen, {0, 0, 700, 500}},
        // Bounds that fit stay, to the pixel.
        {10, 10, 700, 500, frame, screen, {10, 10, 700, 500}},
        {0, 0, 1598, 975, frame, screen, {0, 0, 1598, 975}},
        {901, 475, 697, 500, frame, screen, {901, 475, 697, 500}},
        // Without a frame (not framed yet, or no window manager) the client area is the frame.
        {0, 0, 1600, 1000, QMargins(), screen, {0, 0, 1600, 1000}},
        // The area of a screen beside another one, below a panel.
        {0, 0, 3000, 3000, frame, QRect(1600, 30, 1280, 994), {1600, 30, 1278, 969}},
        {5000, 500, 700, 500, frame, QRect(1600, 30, 1280, 994), {2178, 499, 700, 500}},
        // Nothing to show and a frame larger than the area: the corner stays on the area.
        {-5, 5, -100, -100, frame, screen, {0, 5, 0, 0}},
        {300, 300, 700, 500, QMargins(100, 100, 100, 100), QRect(0, 0, 150, 150), {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.left << "," << c.top << " " << c.width << "x" << c.height << " in "
                     << c.area.width() << "x" << c.area.height() << " frame top " << c.frame.top());
        const FormBounds b = BoundFrameToArea(c.left, c.top, c.width, c.height, c.frame, c.area);
        EXPECT_EQ(std::vector<int>({b.Left, b.Top, b.Width, b.Height}),
                  std::vector<int>(
                      {c.expected.Left, c.expected.Top, c.expected.Width, c.expected.Height}));
    }
}

using FormBoundsOnX = WindowTest;

// Under a real X server with a window manager the window manager frames the window. The
// offscreen platform of the other tests has no frames, so this runs the check below in a
// child of this program on the xcb platform, on the display of the test run.
TEST_F(FormBoundsOnX, FramedWindowKeepsItsFrameAndStatusBarOnTheScreen) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no X server: DISPLAY is not set";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_also_run_disabled_tests",
                 "--gtest_filter=FormBoundsOnX.DISABLED_OnTheXcbPlatform"});
    ASSERT_TRUE(child.waitForFinished(120000)) << "the child did not end";
    const std::string output = child.readAll().toStdString();
    if (output.find("could not connect to display") != std::string::npos)
        GTEST_SKIP() << "no X server answers on " << display;
    const size_t skipped = output.find("Skipped: ");
    if (skipped != std::string::npos)
        GTEST_SKIP() << output.substr(skipped, output.find('\n', skipped) - skipped);
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output;
    EXPECT_EQ(child.exitCode(), 0) << output;
    EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
}

// Run by the test above only.
TEST_F(FormBoundsOnX, DISABLED_OnTheXcbPlatform) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "Skipped: not on xcb";
    WriteDatabase({{"25_SPI_FLASH,WINBOND,W25X10", 128 * 1024}});
    struct Case {
        const char* bounds;
        bool fits;
    } cases[] = {
        {"FormWidth=20000\nFormHeight=20000\n", false},
        {"FormWidth=700\nFormHeight=500\n", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bounds);
        WriteSettings(std::string("[Environment]\n") + c.bounds);
        Start();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Main()));
        if (!QTest::qWaitFor([] { return Form1->frameGeometry() != Form1->geometry(); }, 3000))
            GTEST_SKIP() << "Skipped: no window manager frames the window";
        const QRect area = Main().screen()->availableGeometry();
        if (c.fits) {
            QTest::qWait(200);
            EXPECT_EQ(Main().size(), QSize(700, 500));
        } else {
            // The whole frame: the screen's area, no pixel more.
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return Main().frameGeometry().size() == area.size(); }, 3000))
                << Main().frameGeometry().width() << "x" << Main().frameGeometry().height();
        }
        EXPECT_TRUE(area.contains(Main().frameGeometry()));
        const QRect statusBar(Main().StatusBar1->mapToGlobal(QPoint(0, 0)),
                              Main().StatusBar1->size());
        EXPECT_TRUE(area.contains(statusBar))
            << statusBar.y() << "+" << statusBar.height() << " on " << area.height();
        DestroyForms();
    }
}

} // namespace
