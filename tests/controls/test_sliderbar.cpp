#include "gui/widgets/sliderbar.h"

#include "gui/widgets/humanskin.h"
#include "helpers.h"

#include <QAction>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

const QColor kBackground(90, 90, 90);
const QColor kBar(40, 120, 200);
const QColor kBarLeft(250, 200, 0);
const QColor kBarRight(0, 200, 80);
const QColor kProgress(240, 140, 40);
const QColor kPointer(220, 30, 30);
const QColor kPointerDown(120, 0, 160);

// The main window's instance: 401 x 41, 5-pixel track with 1-pixel caps, a 25 x 14
// pointer with an alpha channel, Max 100. The pointer travels L = 376 pixels.
class SliderBarTest : public ::testing::Test {
protected:
    SliderBarTest() {
        FParent.resize(401, 41);
        QPalette Palette = FParent.palette();
        Palette.setColor(QPalette::Window, kBackground);
        FParent.setPalette(Palette);
        FParent.setAutoFillBackground(true);
        Slider = new TSliderBar(&FParent);
        Slider->setGeometry(0, 0, 401, 41);
        Slider->SetBarLeft(Piece(1, 5, kBarLeft));
        Slider->SetBarRight(Piece(1, 5, kBarRight));
        Slider->SetBar(Piece(5, 5, kBar));
        Slider->SetBarProgress(Piece(5, 5, kProgress));
        // One see-through pixel, 5 rows down the left column, shows what lies beneath.
        QImage Pointer = Piece(25, 14, kPointer, true);
        Pointer.setPixelColor(0, 5, Qt::transparent);
        Slider->SetBarPointer(Pointer);
        Slider->SetBarPointerDown(Piece(25, 14, kPointerDown, true));
        Slider->SetMax(100);
    }

    // Paints the slider over its parent, as the window would; the hit test and the
    // selection use the rectangles of the last paint.
    QImage Shot() { return FParent.grab().toImage(); }

    // Left edge of the pointer, from a row where only the pointer is drawn.
    int PointerLeft(const QImage& Image) {
        for (int X = 0; X < Image.width(); ++X)
            if (Pixel(Image, X, 15) != Rgb(kBackground))
                return X;
        return -1;
    }

    // Shows the parent as the active window, so that the slider can take the focus; the
    // parent as the window whose shortcuts the keys would otherwise reach.
    QWidget* ShowActive() {
        FParent.show();
        QApplication::setActiveWindow(&FParent);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&FParent));
        return &FParent;
    }

    TSliderBar* Slider;

private:
    QWidget FParent;
};

TEST_F(SliderBarTest, LaysOutTrackCapsAndPointer) {
    Slider->SetPosition(50);
    const QImage Image = Shot();
    KeepPicture(Image, "slider_track");
    // Track rows 18..22, caps on the outermost columns, the parent's colour elsewhere.
    EXPECT_EQ(Pixel(Image, 300, 17), Rgb(kBackground));
    EXPECT_EQ(Pixel(Image, 300, 18), Rgb(kBar));
    EXPECT_EQ(Pixel(Image, 300, 22), Rgb(kBar));
    EXPECT_EQ(Pixel(Image, 300, 23), Rgb(kBackground));
    EXPECT_EQ(Pixel(Image, 0, 20), Rgb(kBarLeft));
    EXPECT_EQ(Pixel(Image, 1, 20), Rgb(kBar));
    EXPECT_EQ(Pixel(Image, 399, 20), Rgb(kBar));
    EXPECT_EQ(Pixel(Image, 400, 20), Rgb(kBarRight));
    // Position 50 at 3.76 pixels per unit: the pointer covers columns 188..212, rows 13..26.
    EXPECT_EQ(Pixel(Image, 187, 15), Rgb(kBackground));
    EXPECT_EQ(Pixel(Image, 188, 15), Rgb(kPointer));
    EXPECT_EQ(Pixel(Image, 212, 15), Rgb(kPointer));
    EXPECT_EQ(Pixel(Image, 213, 15), Rgb(kBackground));
    EXPECT_EQ(Pixel(Image, 200, 12), Rgb(kBackground));
    EXPECT_EQ(Pixel(Image, 200, 13), Rgb(kPointer));
    EXPECT_EQ(Pixel(Image, 200, 26), Rgb(kPointer));
    EXPECT_EQ(Pixel(Image, 200, 27), Rgb(kBackground));
    // The pointer is blended: its transparent pixel shows the track.
    EXPECT_EQ(Pixel(Image, 188, 18), Rgb(kBar));
}

TEST_F(SliderBarTest, PositionSnapsAtTheEndAndRefusesBeyondIt) {
    struct Case {
        int64_t Max;
        int64_t Value;
        int64_t Expected;
        int ExpectedLeft;
    };
    // Start each case from Position 10. Max 752 gives exactly 0.5 pixels per unit, so
    // halves round to the even neighbour.
    const std::vector<Case> Cases = {
        {100, 50, 50, 188},     {100, 99, 99, 372},      {100, 100, 100, 376}, {100, 101, 10, 38},
        {1000, 999, 1000, 376}, {1000, 1001, 1000, 376}, {1000, 1002, 10, 4},  {752, 5, 5, 2},
        {752, 7, 7, 4},         {752, 749, 749, 374},    {752, 751, 752, 376}, {752, 753, 752, 376},
        {752, 754, 10, 5},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << "Max " << C.Max << ", Position := " << C.Value);
        Slider->SetMax(C.Max);
        Slider->SetPosition(10);
        Slider->SetPosition(C.Value);
        EXPECT_EQ(Slider->Position(), C.Expected);
        EXPECT_EQ(PointerLeft(Shot()), C.ExpectedLeft);
    }
    // No lower bound: a negative value is kept.
    Slider->SetMax(100);
    Slider->SetPosition(-5);
    EXPECT_EQ(Slider->Position(), -5);
}

TEST_F(SliderBarTest, MaxPullsPositionDownAndZeroKeepsTheScale) {
    Slider->SetPosition(80);
    Slider->SetMax(50);
    EXPECT_EQ(Slider->Position(), 50);
    Slider->SetMax(200);
    EXPECT_EQ(Slider->Position(), 50);

    Slider->SetMax(100);
    Slider->SetMax(0);
    EXPECT_EQ(Slider->Position(), 0);
    // The scale of Max 100 is still in force.
    Slider->SetPosition(50);
    EXPECT_EQ(Slider->Position(), 50);
    EXPECT_EQ(PointerLeft(Shot()), 188);
}

TEST_F(SliderBarTest, SelectionEndsPushEachOtherAndPlaceTheHighlight) {
    Slider->SetPosition(100); // pointer out of the way, at the right end
    Shot();                   // the track's rows are known from the first paint on

    Slider->SetSelEnd(10);
    Slider->SetSelStart(30);
    EXPECT_EQ(Slider->SelEnd(), 30);
    QImage Image = Shot();
    for (int X = 0; X < 376; ++X)
        ASSERT_NE(Pixel(Image, X, 20), Rgb(kProgress)) << "no highlight for equal ends, x " << X;

    Slider->SetSelStart(10);
    Slider->SetSelEnd(5);
    EXPECT_EQ(Slider->SelStart(), 5);

    // SelStart 10 then SelEnd 40: from 38 to the right edge of a pointer at 40 (150 + 25).
    Slider->SetSelStart(10);
    Slider->SetSelEnd(40);
    Image = Shot();
    KeepPicture(Image, "slider_selection");
    EXPECT_EQ(Pixel(Image, 37, 20), Rgb(kBar));
    EXPECT_EQ(Pixel(Image, 38, 20), Rgb(kProgress));
    EXPECT_EQ(Pixel(Image, 174, 20), Rgb(kProgress));
    EXPECT_EQ(Pixel(Image, 175, 20), Rgb(kBar));
    EXPECT_EQ(Pixel(Image, 100, 17), Rgb(kBackground));
    EXPECT_EQ(Pixel(Image, 100, 18), Rgb(kProgress));
    EXPECT_EQ(Pixel(Image, 100, 22), Rgb(kProgress));
    EXPECT_EQ(Pixel(Image, 100, 23), Rgb(kBackground));

    // Setting SelStart again ends the highlight at that pointer's left edge instead.
    Slider->SetSelStart(10);
    Image = Shot();
    EXPECT_EQ(Pixel(Image, 149, 20), Rgb(kProgress));
    EXPECT_EQ(Pixel(Image, 150, 20), Rgb(kBar));
}

// What a handler sees at each raising of an event.
struct Seen {
    char Event; // 'D'own, 'M'ove, 'U'p
    Qt::MouseButton Button;
    int X;
    bool isDown;
    bool MouseOnPointer;
    int64_t Position;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const Seen& S) {
    return Out << S.Event << " button " << S.Button << " x " << S.X << " isDown " << S.isDown << " onPointer "
               << S.MouseOnPointer << " position " << S.Position;
}

class SliderBarMouseTest : public SliderBarTest {
protected:
    SliderBarMouseTest() {
        Slider->OnMouseDown = [this](QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers, int X,
                                     int) { Record(Sender, 'D', Button, X); };
        Slider->OnMouseMove = [this](QObject* Sender, Qt::KeyboardModifiers, int X, int) {
            Record(Sender, 'M', Qt::NoButton, X);
        };
        Slider->OnMouseUp = [this](QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers, int X,
                                   int) { Record(Sender, 'U', Button, X); };
        Shot(); // the pointer stands at 0..24
    }

    void Record(QObject* Sender, char Event, Qt::MouseButton Button, int X) {
        EXPECT_EQ(Sender, Slider);
        Events.push_back({Event, Button, X, Slider->isDown(), Slider->MouseOnPointer(), Slider->Position()});
    }

    std::vector<Seen> TakeEvents() { return std::exchange(Events, {}); }

    std::vector<Seen> Events;
};

TEST_F(SliderBarMouseTest, DraggingThePointerRaisesEachEventTwice) {
    Press(Slider, Qt::LeftButton, {3, 20});
    EXPECT_EQ(TakeEvents(), (std::vector<Seen>{{'D', Qt::LeftButton, 3, false, false, 0},
                                               {'D', Qt::LeftButton, 3, true, true, 0}}));
    const QImage Held = Shot();
    KeepPicture(Held, "slider_held");
    EXPECT_EQ(Pixel(Held, 10, 15), Rgb(kPointerDown));

    // d = 103 - 3 = 100, Position = Round(100 / 3.76) = 27.
    Move(Slider, {103, 20}, Qt::LeftButton);
    EXPECT_EQ(TakeEvents(), (std::vector<Seen>{{'M', Qt::NoButton, 103, true, true, 0},
                                               {'M', Qt::NoButton, 103, true, true, 27}}));
    // Beyond either end the move is ignored, not clamped.
    Move(Slider, {600, 20}, Qt::LeftButton);
    EXPECT_EQ(Slider->Position(), 27);
    Move(Slider, {2, 20}, Qt::LeftButton);
    EXPECT_EQ(Slider->Position(), 27);
    // d = 376, the right end.
    Move(Slider, {379, 20}, Qt::LeftButton);
    EXPECT_EQ(Slider->Position(), 100);
    TakeEvents();

    // The first release event still sees the press, the second no longer does.
    Release(Slider, Qt::LeftButton, {379, 20});
    EXPECT_EQ(TakeEvents(), (std::vector<Seen>{{'U', Qt::LeftButton, 379, true, true, 100},
                                               {'U', Qt::LeftButton, 379, false, false, 100}}));
    EXPECT_EQ(Pixel(Shot(), 380, 15), Rgb(kPointer));
}

TEST_F(SliderBarMouseTest, OnlyALeftOrMiddlePressOnThePointerDrags) {
    struct Case {
        const char* Name;
        Qt::MouseButton Button;
        int X;
        bool Enabled;
        size_t DownEvents;
        bool Drags;
    };
    const std::vector<Case> Cases = {
        {"left on the pointer", Qt::LeftButton, 3, true, 2, true},
        {"middle on the pointer", Qt::MiddleButton, 3, true, 2, true},
        {"right on the pointer", Qt::RightButton, 3, true, 1, false},
        {"left beside the pointer", Qt::LeftButton, 25, true, 2, false},
        {"left on a disabled slider", Qt::LeftButton, 3, false, 0, false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        Slider->setEnabled(C.Enabled);
        Slider->SetPosition(0);
        Shot();
        Press(Slider, C.Button, {C.X, 20});
        const std::vector<Seen> Down = TakeEvents();
        EXPECT_EQ(Down.size(), C.DownEvents);
        EXPECT_EQ(Slider->isDown(), C.Drags);
        Move(Slider, {C.X + 100, 20}, C.Button);
        EXPECT_EQ(Slider->Position(), C.Drags ? 27 : 0);
        Release(Slider, C.Button, {C.X + 100, 20});
        // Moves and releases arrive twice whether or not anything was dragged.
        const size_t Twice = C.Enabled ? 2 : 0;
        const std::vector<Seen> Rest = TakeEvents();
        EXPECT_EQ(std::count_if(Rest.begin(), Rest.end(), [](const Seen& S) { return S.Event == 'M'; }),
                  Twice);
        EXPECT_EQ(std::count_if(Rest.begin(), Rest.end(), [](const Seen& S) { return S.Event == 'U'; }),
                  Twice);
        EXPECT_FALSE(Slider->MouseOnPointer());
    }
}

// With the focus the keys move the pointer, each move raising OnKeyMove, and the window's
// shortcuts on those keys wait; the pointer is edged in the skin's focus colour.
TEST_F(SliderBarTest, KeysMoveThePointerWhileItHasTheFocus) {
    QWidget* Window = ShowActive();
    int Moves = 0;
    Slider->OnKeyMove = [&](QObject* Sender) {
        EXPECT_EQ(Sender, Slider);
        ++Moves;
    };
    QAction Back;
    Back.setShortcut(Qt::Key_Left);
    Back.setShortcutContext(Qt::WindowShortcut);
    Window->addAction(&Back);
    int BackTriggered = 0;
    QObject::connect(&Back, &QAction::triggered, [&] { ++BackTriggered; });

    Slider->clearFocus();
    const QImage Plain = Shot();
    EXPECT_EQ(Slider->focusPolicy(), Qt::TabFocus);
    Slider->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(Slider->hasFocus());
    const QImage Focused = Shot();
    KeepPicture(Focused, "slider_focused");
    const int Left = PointerLeft(Plain);
    EXPECT_EQ(Pixel(Plain, Left, 20), Rgb(kPointer));
    // The edge is curved there and drawn smooth: near the colour, far from the pointer's.
    const QColor Edge = Focused.pixelColor(Left, 20);
    const QColor Focus = SkinFocusColor();
    EXPECT_LE(std::abs(Edge.red() - Focus.red()) + std::abs(Edge.green() - Focus.green()) +
                  std::abs(Edge.blue() - Focus.blue()),
              16)
        << Edge.name().toStdString();
    EXPECT_EQ(Pixel(Focused, Left + 12, 20), Rgb(kPointer)) << "the pointer inside the edge stays";

    struct TCase {
        int64_t Max, From;
        Qt::Key Key;
        int64_t To;
    };
    const TCase Cases[] = {
        {100, 0, Qt::Key_Right, 1},
        {100, 1, Qt::Key_Left, 0},
        {100, 0, Qt::Key_Left, 0},
        {100, 50, Qt::Key_Up, 51},
        {100, 50, Qt::Key_Down, 49},
        {100, 50, Qt::Key_PageUp, 60},
        {100, 5, Qt::Key_PageDown, 0},
        {100, 40, Qt::Key_End, 100},
        {100, 40, Qt::Key_Home, 0},
        {100, 100, Qt::Key_Right, 100},
        // 376 pixels for 10000 units: a step is the 27 units of one pixel, and a step back
        // from the end leaves the end.
        {10000, 10000, Qt::Key_Left, 9973},
        {10000, 0, Qt::Key_Right, 27},
        {10000, 0, Qt::Key_PageUp, 1000},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(std::to_string(C.Max) + " from " + std::to_string(C.From) + " key " +
                     std::to_string(C.Key));
        Slider->SetMax(C.Max);
        Slider->SetPosition(C.From);
        ASSERT_EQ(Slider->Position(), C.From);
        Moves = 0;
        QTest::keyClick(Slider, C.Key);
        EXPECT_EQ(Slider->Position(), C.To);
        EXPECT_EQ(Moves, C.To != C.From ? 1 : 0);
    }
    EXPECT_EQ(BackTriggered, 0) << "the window's shortcut took the slider's key";
    // Without the focus the key is the window's.
    Slider->clearFocus();
    Moves = 0;
    QTest::keyClick(Window, Qt::Key_Left);
    EXPECT_EQ(BackTriggered, 1);
    EXPECT_EQ(Moves, 0);
}

} // namespace
