// The bit box driven by real mouse and key events, and checked on its rendered pixels.
#include "bit_box.h"
#include "dialogs_message.h"
#include "exceptions.h"
#include "test_application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {
QApplication& TestApp() {
    return TestProgramApplication("bitbox_tests");
}

// The window that holds the bit box; it records the characters that reach it.
class Parent : public QWidget {
public:
    QString keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys += event->text(); }
};

constexpr int kWidth = 120;

struct BitBoxTest : ::testing::Test {
    std::unique_ptr<Parent> window;
    TBitBox* box = nullptr;
    std::vector<std::string> events;
    std::vector<MessageBoxRequest> boxes;

    void SetUp() override {
        TestApp();
        SetMessageBoxHook([this](const MessageBoxRequest& request) {
            boxes.push_back(request);
            return IDOK;
        });
        window = std::make_unique<Parent>();
        window->resize(200, 100);
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, QColor(0xF0, 0xF0, 0xF0));
        palette.setColor(QPalette::WindowText, Qt::black);
        window->setPalette(palette);
        box = new TBitBox(window.get());
        // Exact pixels in the caption.
        QFont font = box->font();
        font.setStyleStrategy(QFont::NoAntialias);
        box->setFont(font);
        box->setGeometry(10, 10, kWidth, 20);
        box->OnClick = [this](TBitBox* sender) {
            EXPECT_EQ(sender, box);
            events.push_back("click");
        };
        box->OnChange = [this](TBitBox* sender) {
            EXPECT_EQ(sender, box);
            events.push_back(sender->GetState() ? "change 1" : "change 0");
        };
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        // Showing the window gave the box the focus; each test starts without it.
        window->setFocus();
    }
    void TearDown() override {
        window.reset();
        SetMessageBoxHook({});
    }

    int Middle() const { return (box->height() - 1) / 2; }
    QPoint BoxCentre() const { return QPoint(8, Middle()); }

    // The box as it shows on its window, in the box's own coordinates.
    QImage Render() {
        QApplication::processEvents();
        return window->grab(box->geometry()).toImage();
    }
};

using Events = std::vector<std::string>;

QColor Rgb(TColor color) {
    return ToQColor(color);
}

int CountColor(const QImage& image, const QRect& area, const QColor& color) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == color) ++count;
    return count;
}

// Where the digit may lie: inside the frame.
QRect DigitArea(int c) {
    return QRect(2, c - 6, 13, 13);
}

// The caption's cells, right of the box.
QRect CaptionArea(const QImage& image) {
    return QRect(20, 0, image.width() - 20, image.height());
}
} // namespace

TEST_F(BitBoxTest, ConstructionDefaults) {
    TBitBox fresh;
    EXPECT_FALSE(fresh.GetState());
    EXPECT_TRUE(fresh.GetCaption().isEmpty());
    EXPECT_EQ(fresh.GetOnColor(), clLime);
    EXPECT_EQ(fresh.GetOffColor(), clRed);
    EXPECT_TRUE(fresh.GetTabStop());
    EXPECT_TRUE(fresh.isEnabled());
    EXPECT_FALSE(fresh.OnChange);
    EXPECT_FALSE(fresh.OnClick);
    // Properties are reachable by name and go through their setters.
    box->setProperty("State", true);
    EXPECT_TRUE(box->GetState());
    EXPECT_EQ(events, Events{"change 1"});
    box->setProperty("OffColor", static_cast<int>(clBlue));
    EXPECT_EQ(box->GetOffColor(), clBlue);
}

TEST_F(BitBoxTest, ClickShowsOneInTheOnColourTakesTheFocusAndFiresClickFirst) {
    const QRect digit = DigitArea(Middle());
    EXPECT_GT(CountColor(Render(), digit, Rgb(clRed)), 0);
    ASSERT_FALSE(box->hasFocus());

    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, BoxCentre());
    EXPECT_TRUE(box->GetState());
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(events, (Events{"click", "change 1"}));
    const QImage image = Render();
    EXPECT_GT(CountColor(image, digit, Rgb(clLime)), 0);
    EXPECT_EQ(CountColor(image, digit, Rgb(clRed)), 0);

    // A click on the caption counts as well.
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(kWidth - 5, Middle()));
    EXPECT_FALSE(box->GetState());
    EXPECT_EQ(events, (Events{"click", "change 1", "click", "change 0"}));
}

TEST_F(BitBoxTest, PressesThatAreNoLeftClickLeaveTheBit) {
    QTest::mouseClick(box, Qt::RightButton, Qt::NoModifier, BoxCentre());
    QTest::mouseClick(box, Qt::MiddleButton, Qt::NoModifier, BoxCentre());
    // Pressed on the box, released beside it.
    QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, BoxCentre());
    QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, QPoint(kWidth + 20, Middle()));
    EXPECT_FALSE(box->GetState());
    EXPECT_TRUE(events.empty());
    // The focus comes with the click, not with the press.
    EXPECT_FALSE(box->hasFocus());
}

TEST_F(BitBoxTest, SpaceTogglesAndFiresChangeOnlyOtherKeysGoToTheParent) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_TRUE(box->GetState());
    EXPECT_EQ(events, Events{"change 1"});
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->GetState());
    EXPECT_EQ(events, (Events{"change 1", "change 0"}));

    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* reaches; // what the parent receives
    };
    const Case cases[] = {
        {Qt::Key_A, Qt::NoModifier, "a"},      {Qt::Key_1, Qt::NoModifier, "1"},
        {Qt::Key_0, Qt::NoModifier, "0"},      {Qt::Key_Return, Qt::NoModifier, "\r"},
        {Qt::Key_Space, Qt::AltModifier, " "},
    };
    for (const Case& c : cases) {
        window->keys.clear();
        QTest::keyClick(box, c.key, c.modifiers);
        EXPECT_EQ(window->keys, QString::fromLatin1(c.reaches)) << c.reaches;
    }
    EXPECT_FALSE(box->GetState());
    EXPECT_EQ(events.size(), 2u);
    EXPECT_TRUE(box->hasFocus());
}

TEST_F(BitBoxTest, SpaceDoesNotReachTheParent) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_TRUE(window->keys.isEmpty());
}

TEST_F(BitBoxTest, DoubleClickEndsWhereItBeganWithTwoOfEachEvent) {
    enum Step { Click, Press, DoubleClick, Release };
    // What platforms deliver for a double click; some repeat the press before it.
    const std::vector<Step> sequences[] = {{Click, DoubleClick, Release},
                                           {Click, Press, DoubleClick, Release}};
    for (const auto& sequence : sequences) {
        for (bool start : {false, true}) {
            box->OnChange = nullptr;
            box->SetState(start);
            box->OnChange = [this](TBitBox* sender) {
                events.push_back(sender->GetState() ? "change 1" : "change 0");
            };
            events.clear();
            for (Step step : sequence) {
                const QPoint p = BoxCentre();
                if (step == Click) QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, p);
                if (step == Press) QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, p);
                if (step == DoubleClick) QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, p);
                if (step == Release) QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, p);
            }
            const char* flipped = start ? "change 0" : "change 1";
            const char* back = start ? "change 1" : "change 0";
            EXPECT_EQ(box->GetState(), start) << sequence.size();
            EXPECT_EQ(events, (Events{"click", flipped, "click", back})) << sequence.size();
        }
    }
}

TEST_F(BitBoxTest, SetStateFiresChangeAlsoForTheValueItHas) {
    const struct {
        bool from, to;
    } cases[] = {{false, false}, {false, true}, {true, true}, {true, false}};
    for (const auto& c : cases) {
        box->OnChange = nullptr;
        box->SetState(c.from);
        int fired = 0;
        box->OnChange = [&](TBitBox*) { ++fired; };
        box->SetState(c.to);
        EXPECT_EQ(fired, 1) << c.from << " -> " << c.to;
        EXPECT_EQ(box->GetState(), c.to);
    }
}

TEST_F(BitBoxTest, RenamingFillsOnlyAnEmptyCaption) {
    const struct {
        const char* caption;
        const char* names[2];
        const char* shown;
    } cases[] = {
        {"", {"BitBox1", nullptr}, "BitBox1"},
        {"Carry", {"BitBox1", nullptr}, "Carry"},
        // The first name becomes the caption; the second finds it set.
        {"", {"BitBox1", "Overflow"}, "BitBox1"},
    };
    for (const auto& c : cases) {
        TBitBox b(window.get());
        b.SetCaption(QString::fromLatin1(c.caption));
        for (const char* name : c.names)
            if (name) b.SetName(QString::fromLatin1(name));
        EXPECT_EQ(b.GetCaption(), QString::fromLatin1(c.shown)) << c.caption;
        EXPECT_EQ(b.objectName(), QString::fromLatin1(c.names[1] ? c.names[1] : c.names[0]));
    }
}

TEST_F(BitBoxTest, FrameFillAndEdgeLines) {
    const QColor gray = Rgb(clGray), dark(0x55, 0x55, 0x55), white = Rgb(clWhite),
                 silver = Rgb(clSilver), black = Rgb(clBlack);
    for (int height : {19, 20, 33}) {
        box->resize(kWidth, height);
        const int c = (height - 1) / 2;
        const QImage image = Render();
        const struct {
            int x, y;
            QColor color;
        } pixels[] = {
            {0, c + 8, gray},    {0, c, gray},        {0, c - 8, gray},   {15, c - 8, gray},
            {1, c + 7, dark},    {1, c, dark},        {14, c - 7, dark},  {16, c - 8, white},
            {16, c + 7, white},  {16, c + 8, white},  {1, c + 8, white},  {15, c - 7, silver},
            {15, c + 6, silver}, {15, c + 7, silver}, {2, c + 7, silver}, {2, c - 6, black},
            {14, c - 6, black},  {2, c + 6, black},   {14, c + 6, black},
        };
        for (const auto& p : pixels)
            EXPECT_EQ(image.pixelColor(p.x, p.y), p.color)
                << "height " << height << " at " << p.x << "," << p.y;
        // Nothing of the box lies outside its 17 by 17 pixels.
        EXPECT_EQ(image.pixelColor(17, c), QColor(0xF0, 0xF0, 0xF0));
        EXPECT_EQ(image.pixelColor(8, c - 9), QColor(0xF0, 0xF0, 0xF0));
    }
}

TEST_F(BitBoxTest, DigitInTheColourOfItsState) {
    const QRect digit = DigitArea(Middle());
    box->SetOnColor(clYellow);
    box->SetOffColor(clAqua);
    QImage image = Render();
    EXPECT_GT(CountColor(image, digit, Rgb(clAqua)), 0);
    EXPECT_EQ(CountColor(image, digit, Rgb(clYellow)), 0);
    box->SetState(true);
    image = Render();
    EXPECT_GT(CountColor(image, digit, Rgb(clYellow)), 0);
    EXPECT_EQ(CountColor(image, digit, Rgb(clAqua)), 0);
}

TEST_F(BitBoxTest, DigitCentredInTheBox) {
    QFont digitFont(QStringLiteral("Courier"), 10, QFont::Bold);
    digitFont.setStyleHint(QFont::TypeWriter);
    const QFontMetrics metrics(digitFont);
    for (int height : {20, 31})
        for (bool state : {false, true}) {
            box->resize(kWidth, height);
            box->SetState(state);
            const QImage image = Render();
            const int c = (height - 1) / 2;
            const QString digit = state ? QStringLiteral("1") : QStringLiteral("0");
            QImage expected(image.size(), image.format());
            expected.fill(Qt::black);
            QPainter painter(&expected);
            painter.setFont(digitFont);
            painter.setPen(Rgb(state ? clLime : clRed));
            painter.drawText((16 - metrics.horizontalAdvance(digit)) / 2,
                             c - metrics.height() / 2 + metrics.ascent(), digit);
            painter.end();
            const QRect inside(2, c - 6, 13, 13);
            EXPECT_EQ(image.copy(inside), expected.copy(inside))
                << "height " << height << " state " << state;
        }
}

TEST_F(BitBoxTest, CaptionStandsAt21CentredOnTheBox) {
    const QString caption = QStringLiteral("Erase");
    box->SetCaption(caption);
    for (int height : {20, 31}) {
        box->resize(kWidth, height);
        const QImage image = Render();
        QImage expected(image.size(), image.format());
        expected.fill(QColor(0xF0, 0xF0, 0xF0));
        QPainter painter(&expected);
        painter.setFont(box->font());
        painter.setPen(Qt::black);
        const int c = (height - 1) / 2;
        painter.drawText(QRect(21, c - QFontMetrics(box->font()).height() / 2, 200, 100),
                         Qt::AlignLeft | Qt::AlignTop, caption);
        painter.end();
        const QRect area = CaptionArea(image);
        EXPECT_EQ(image.copy(area), expected.copy(area)) << "height " << height;
    }
}

TEST_F(BitBoxTest, DisabledFillGreyDigitAndEmbossedCaption) {
    box->SetCaption(QStringLiteral("Write protect"));
    const int c = Middle();
    const QColor grey = Rgb(clGrayText), highlight = Rgb(clHighlightText);
    QImage image = Render();
    EXPECT_EQ(CountColor(image, CaptionArea(image), grey), 0);
    EXPECT_EQ(CountColor(image, CaptionArea(image), highlight), 0);

    for (bool state : {false, true}) {
        box->SetState(state);
        box->SetEnabled(false);
        image = Render();
        EXPECT_EQ(image.pixelColor(2, c - 6), QColor(0x11, 0x11, 0x11));
        EXPECT_GT(CountColor(image, DigitArea(c), grey), 0);
        EXPECT_EQ(CountColor(image, DigitArea(c), Rgb(clLime)), 0);
        EXPECT_EQ(CountColor(image, DigitArea(c), Rgb(clRed)), 0);
        // Embossed: a highlight copy one pixel right of and below the grey caption, which
        // lies on top of it.
        int greys = 0, highlights = 0;
        for (int y = 1; y + 1 < image.height(); ++y)
            for (int x = 21; x + 1 < image.width(); ++x) {
                const QColor p = image.pixelColor(x, y);
                if (p == grey) {
                    ++greys;
                    const QColor shifted = image.pixelColor(x + 1, y + 1);
                    EXPECT_TRUE(shifted == grey || shifted == highlight) << x << "," << y;
                } else if (p == highlight) {
                    ++highlights;
                    EXPECT_EQ(image.pixelColor(x - 1, y - 1), grey) << x << "," << y;
                }
            }
        EXPECT_GT(greys, 0);
        EXPECT_GT(highlights, 0);
        box->SetEnabled(true);
        EXPECT_EQ(Render().pixelColor(2, c - 6), QColor(0, 0, 0));
    }
}

TEST_F(BitBoxTest, FocusRectangleSurroundsTheCaption) {
    box->SetCaption(QStringLiteral("Bit 3"));
    for (int height : {20, 27}) {
        box->resize(kWidth, height);
        window->setFocus();
        const QImage without = Render();
        box->setFocus();
        const QImage with = Render();
        QRect changed;
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x)
                if (with.pixelColor(x, y) != without.pixelColor(x, y)) changed |= QRect(x, y, 1, 1);
        const QFontMetrics metrics(box->font());
        const int c = (height - 1) / 2, h = metrics.height();
        const int y2 = c - h / 2;
        EXPECT_EQ(changed, QRect(QPoint(19, y2 - 2),
                                 QPoint(metrics.horizontalAdvance(QStringLiteral("Bit 3")) + 22,
                                        c + h / 2 + 1)))
            << "height " << height;
        // The corner dot is drawn by inverting.
        const QColor back = without.pixelColor(19, y2 - 2), dot = with.pixelColor(19, y2 - 2);
        EXPECT_EQ(dot, QColor(255 - back.red(), 255 - back.green(), 255 - back.blue()));
    }
}

TEST_F(BitBoxTest, FocusChangesRepaintAtOnce) {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) ++paints;
            return false;
        }
    } counter;
    QApplication::processEvents();
    box->installEventFilter(&counter);
    box->setFocus();
    EXPECT_EQ(counter.paints, 1);
    window->setFocus();
    EXPECT_EQ(counter.paints, 2);
    box->removeEventFilter(&counter);
}

TEST_F(BitBoxTest, TabReachesOnlyATabStopButAClickFocusesEither) {
    auto* edit = new QLineEdit(window.get());
    edit->setGeometry(10, 60, 100, 24);
    auto* other = new TBitBox(window.get());
    other->setGeometry(130, 10, 60, 20);
    other->SetTabStop(false);
    EXPECT_FALSE(other->GetTabStop());
    QWidget::setTabOrder(box, edit);
    QWidget::setTabOrder(edit, other);
    edit->show();
    other->show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(box->hasFocus());
    QTest::keyClick(box, Qt::Key_Tab);
    EXPECT_TRUE(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(box->hasFocus()) << "Tab must pass over the box that is no tab stop";
    QTest::mouseClick(other, Qt::LeftButton, Qt::NoModifier, QPoint(8, 9));
    EXPECT_TRUE(other->hasFocus());
    EXPECT_TRUE(other->GetState());
}

TEST_F(BitBoxTest, DisabledBoxIgnoresClickAndSpace) {
    box->SetEnabled(false);
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, BoxCentre());
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->GetState());
    EXPECT_TRUE(events.empty());
}

TEST_F(BitBoxTest, AnExceptionInAHandlerIsShownAndStaysInside) {
    box->OnClick = [](TBitBox*) { throw Exception("Bit refused"); };
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, BoxCentre());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Bit refused.");
    EXPECT_EQ(boxes[0].Icon, BoxIcon::Stop);
    // The click ended at the handler that raised: no OnChange after it.
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(box->GetState());

    box->OnChange = [](TBitBox*) { throw Exception("Still refused"); };
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].Text, "Still refused.");
    EXPECT_FALSE(box->GetState());
}
