// The main window on a desktop of two monitors side by side, a 1280 x 1024 one and a
// 1920 x 1080 one right of it (the headless platform laid out as two screens): moved, it goes
// to either monitor and across the border, and comes back only when its title bar has left
// both.
#include "gui/application.h"
#include "gui/windowPlacement.h"
#include "testwindow.h"

#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

class TwoScreens : public testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" TEST_SOURCEDIR "/two_screens.json");
        App = new TApplication(Argc, Argv);
    }
    static void TearDownTestSuite() {
        delete App;
        App = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get())); }

    // Puts the window's outer top-left corner at (X, Y) and waits until it has settled at
    // the expected place (or gives up).
    bool MoveAndSettle(int X, int Y, QPoint Expected) {
        Form->move(X, Y);
        return QTest::qWaitFor([&] { return Form->frameGeometry().topLeft() == Expected; }, 5000);
    }

    static inline int Argc = 1;
    static inline char Name[] = "test_screens";
    static inline char* Argv[] = {Name, nullptr};
    static inline TApplication* App = nullptr;
    TWindow Window;
    std::unique_ptr<TmainDlg>& Form = Window.Form;
};

TEST_F(TwoScreens, TheWindowMovesFreelyAndStaysWithinReach) {
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    const QScreen* Left = QGuiApplication::screens()[0];
    const QScreen* Right = QGuiApplication::screens()[1];
    ASSERT_EQ(Right->geometry(), QRect(1280, 0, 1920, 1080));
    const int Width = Form->frameGeometry().width();
    const int Title = std::max(Form->geometry().top() - Form->frameGeometry().top(), kMinTitleHeight);

    struct TCase {
        const char* What;
        QPoint To, Expected;
        const QScreen* Screen;
    };
    const TCase Moves[] = {
        {"onto the right monitor", {1600, 100}, {1600, 100}, Right},
        {"back to the left monitor", {100, 100}, {100, 100}, Left},
        {"across the border", {700, 300}, {700, 300}, Left},
        {"far right of the right monitor", {4000, 300}, {3200 - kTitleGrip, 300}, Right},
        {"low on the taller right monitor", {2000, 1040}, {2000, 1040}, Right},
        {"below the left monitor", {100, 1010}, {100, 1024 - Title}, Left},
        {"whole off the left edge", {-Width - 100, 200}, {kTitleGrip - Width, 200}, Left},
    };
    for (const TCase& C : Moves) {
        EXPECT_TRUE(MoveAndSettle(C.To.x(), C.To.y(), C.Expected))
            << C.What << ": at " << Form->frameGeometry().x() << "," << Form->frameGeometry().y();
        EXPECT_EQ(Form->screen(), C.Screen) << C.What;
    }
}

} // namespace
