#include "gui/widgets/imagebutton.h"

#include "gui/widgets/humanskin.h"
#include "helpers.h"

#include <QEnterEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

const QColor kBackground(90, 90, 90);
const QColor kNormal(30, 90, 200);
const QColor kOver(60, 170, 250);
const QColor kDown(10, 40, 120);
const QColor kDisable(170, 170, 170);

// A 32 x 32 button with four faces, on a 36 x 36 control so that the shifted pressed face
// fits, over a grey parent.
class ImageButtonTest : public ::testing::Test {
protected:
    ImageButtonTest() {
        FParent.resize(40, 40);
        QPalette Palette = FParent.palette();
        Palette.setColor(QPalette::Window, kBackground);
        FParent.setPalette(Palette);
        FParent.setAutoFillBackground(true);
        Button = new TImageButton(&FParent);
        Button->setGeometry(0, 0, 36, 36);
        Button->SetImage(Piece(32, 32, kNormal, true));
        Button->SetImageOver(Piece(32, 32, kOver, true));
        Button->SetImageDown(Piece(32, 32, kDown, true));
        Button->SetImageDisable(Piece(32, 32, kDisable, true));
        Button->OnClick = [this](QObject* Sender) {
            EXPECT_EQ(Sender, Button);
            ++Clicks;
        };
    }

    // Paints the button as the window would; the release test uses the last painted face.
    QImage Shot() { return FParent.grab().toImage(); }

    void Enter() {
        QEnterEvent Event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(Button, &Event);
    }

    void Leave() {
        QEvent Event(QEvent::Leave);
        QApplication::sendEvent(Button, &Event);
    }

    // Shows the parent as the active window, so that the button can take the focus.
    void ShowActive() {
        FParent.show();
        QApplication::setActiveWindow(&FParent);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&FParent));
    }

    TImageButton* Button;
    int Clicks = 0;

private:
    QWidget FParent;
};

TEST_F(ImageButtonTest, FaceFollowsHoverAndPress) {
    QImage Image = Shot();
    KeepPicture(Image, "button_normal");
    EXPECT_EQ(Pixel(Image, 0, 0), Rgb(kNormal));
    EXPECT_EQ(Pixel(Image, 31, 31), Rgb(kNormal));
    EXPECT_EQ(Pixel(Image, 32, 32), Rgb(kBackground));

    Enter();
    Image = Shot();
    KeepPicture(Image, "button_over");
    EXPECT_EQ(Pixel(Image, 0, 0), Rgb(kOver));

    // The pressed face is drawn 2 pixels right and down.
    Press(Button, Qt::LeftButton, {10, 10});
    Image = Shot();
    KeepPicture(Image, "button_down");
    EXPECT_EQ(Pixel(Image, 1, 1), Rgb(kBackground));
    EXPECT_EQ(Pixel(Image, 2, 2), Rgb(kDown));
    EXPECT_EQ(Pixel(Image, 33, 33), Rgb(kDown));
    EXPECT_EQ(Pixel(Image, 34, 34), Rgb(kBackground));

    // Leaving the face ends the pressed look; coming back does not restore it.
    Move(Button, {35, 35}, Qt::LeftButton);
    EXPECT_EQ(Pixel(Shot(), 0, 0), Rgb(kOver));
    Move(Button, {10, 10}, Qt::LeftButton);
    EXPECT_EQ(Pixel(Shot(), 0, 0), Rgb(kOver));
    Release(Button, Qt::LeftButton, {10, 10});

    Leave();
    EXPECT_EQ(Pixel(Shot(), 0, 0), Rgb(kNormal));

    Button->SetUseDown(false);
    Press(Button, Qt::LeftButton, {10, 10});
    EXPECT_EQ(Pixel(Shot(), 0, 0), Rgb(kDown));
}

TEST_F(ImageButtonTest, DisabledFaceWinsButTheWidgetKeepsTheMouse) {
    Button->SetFaceEnabled(false);
    EXPECT_TRUE(Button->isEnabled());
    const QImage Image = Shot();
    KeepPicture(Image, "button_disabled");
    EXPECT_EQ(Pixel(Image, 0, 0), Rgb(kDisable));
    Enter();
    EXPECT_EQ(Pixel(Shot(), 0, 0), Rgb(kDisable));
    Press(Button, Qt::LeftButton, {10, 10});
    EXPECT_EQ(Pixel(Shot(), 0, 0), Rgb(kDisable));
    Release(Button, Qt::LeftButton, {10, 10});
    EXPECT_EQ(Clicks, 0);

    // The press reached the button all the same: once enabled again, it is not pressed,
    // and the mouse is still over it.
    Button->SetFaceEnabled(true);
    EXPECT_EQ(Pixel(Shot(), 0, 0), Rgb(kOver));
    Leave();
    EXPECT_EQ(Pixel(Shot(), 0, 0), Rgb(kNormal));
}

TEST_F(ImageButtonTest, ClicksOnALeftPressAndReleaseInsideTheControl) {
    struct Case {
        const char* Name;
        bool UseDown;
        bool Enabled;
        Qt::MouseButton Button;
        QPoint ReleaseAt;
        bool WanderOff;
        int Clicks;
    };
    const std::vector<Case> Cases = {
        {"press and release", false, true, Qt::LeftButton, {10, 10}, false, 1},
        {"release on the last pixel", false, true, Qt::LeftButton, {31, 31}, false, 1},
        {"release beside the face, inside the control", false, true, Qt::LeftButton, {32, 10}, false, 1},
        {"release left of the shifted face", true, true, Qt::LeftButton, {1, 1}, false, 1},
        {"release outside the control", false, true, Qt::LeftButton, {36, 10}, false, 0},
        {"release above the control", true, true, Qt::LeftButton, {10, -1}, false, 0},
        {"release on the shifted face's corner", true, true, Qt::LeftButton, {33, 33}, false, 1},
        {"right button", false, true, Qt::RightButton, {10, 10}, false, 0},
        {"middle button", false, true, Qt::MiddleButton, {10, 10}, false, 0},
        {"disabled", false, false, Qt::LeftButton, {10, 10}, false, 0},
        {"off the face and back", false, true, Qt::LeftButton, {10, 10}, true, 1},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        Clicks = 0;
        Button->SetUseDown(C.UseDown);
        Button->SetFaceEnabled(C.Enabled);
        Press(Button, C.Button, {10, 10});
        Shot();
        if (C.WanderOff) {
            Move(Button, {50, 50}, C.Button);
            Shot();
            Move(Button, {10, 10}, C.Button);
        }
        Release(Button, C.Button, C.ReleaseAt);
        EXPECT_EQ(Clicks, C.Clicks);
        Shot();
    }
}

TEST_F(ImageButtonTest, MissingFacesFallBack) {
    Button->SetImageDown(QImage());
    Enter();
    Press(Button, Qt::LeftButton, {10, 10});
    QImage Image = Shot();
    EXPECT_EQ(Pixel(Image, 1, 1), Rgb(kBackground));
    EXPECT_EQ(Pixel(Image, 2, 2), Rgb(kOver)) << "the hover face stands in for the pressed one";
    Release(Button, Qt::LeftButton, {10, 10});

    Button->SetImageOver(QImage());
    EXPECT_EQ(Pixel(Shot(), 0, 0), Rgb(kNormal)) << "hovering shows the normal face";
    Press(Button, Qt::LeftButton, {10, 10});
    Image = Shot();
    EXPECT_EQ(Pixel(Image, 2, 2), Rgb(kBackground)) << "nothing to draw while pressed";
    EXPECT_EQ(Pixel(Image, 20, 20), Rgb(kBackground));
}

// Tab reaches the button (a click does not); with the focus its face is edged in the skin's
// focus colour, and Enter or Return clicks it unless its face is disabled. Space is left to
// the window, which plays and pauses with it.
TEST_F(ImageButtonTest, TheFocusEdgesTheFaceAndEnterClicks) {
    ShowActive();
    EXPECT_EQ(Button->focusPolicy(), Qt::TabFocus);
    Leave();
    Button->clearFocus();
    const QImage Plain = Shot();
    Button->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(Button->hasFocus());
    const QImage Focused = Shot();
    KeepPicture(Focused, "imagebutton_focused");
    for (const QPoint At : {QPoint(0, 16), QPoint(1, 16), QPoint(16, 0), QPoint(31, 16), QPoint(16, 31)}) {
        EXPECT_EQ(Pixel(Plain, At.x(), At.y()), Rgb(kNormal)) << At.x() << "," << At.y();
        EXPECT_EQ(Pixel(Focused, At.x(), At.y()), Rgb(SkinFocusColor())) << At.x() << "," << At.y();
    }
    EXPECT_EQ(Pixel(Focused, 16, 16), Rgb(kNormal)) << "the face inside the edge stays";

    struct TCase {
        Qt::Key Key;
        bool FaceEnabled;
        int Clicks;
    };
    const TCase Cases[] = {{Qt::Key_Return, true, 1},
                           {Qt::Key_Enter, true, 1},
                           {Qt::Key_Space, true, 0},
                           {Qt::Key_Return, false, 0}};
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Key);
        Button->SetFaceEnabled(C.FaceEnabled);
        Clicks = 0;
        QTest::keyClick(Button, C.Key);
        EXPECT_EQ(Clicks, C.Clicks);
    }
}

} // namespace
