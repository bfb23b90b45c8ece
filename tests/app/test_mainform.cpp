// The main window's form: every control at its place in its start state, the menu tree,
// keyboard order and accelerators, the controller's hooks, and the rendered window.
#include "gui/artwork.h"
#include "gui/mainForm.h"
#include "gui/widgets/flatedit.h"
#include "gui/widgets/humanskin.h"
#include "gui/widgets/imagebutton.h"
#include "gui/widgets/sliderbar.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

// Keeps a rendering for a person to look at when TROVELLE_FORMS_PNG_DIR names a folder.
void KeepPicture(const QImage& Image, const char* Name) {
    const QString Dir = qEnvironmentVariable("TROVELLE_FORMS_PNG_DIR");
    if (!Dir.isEmpty())
        Image.save(QDir(Dir).filePath(QString::fromUtf8(Name) + ".png"));
}

QString Caption(const QWidget* Widget) {
    if (auto* Label = qobject_cast<const QLabel*>(Widget))
        return Label->text();
    if (auto* Button = qobject_cast<const QAbstractButton*>(Widget))
        return Button->text();
    if (auto* Edit = qobject_cast<const QLineEdit*>(Widget))
        return Edit->text();
    return {};
}

bool IsDark(QRgb Pixel) {
    return qGray(Pixel) < 80;
}

// ---- Every control ------------------------------------------------------------------

enum class TKind { Picture, Placeholder, Slider, Label, ImageButton, Dock, PushButton, FlatEdit, Radio };

struct TControlCase {
    const char* Name;
    QWidget* (*Get)(TmainDlg&);
    TKind Kind;
    QRect Bounds;
    const char* Caption;
    const char* Hint;
    bool Enabled;
};

#define CONTROL(Member) #Member, [](TmainDlg & F) -> QWidget* { return F.Member; }

// In creation order, which is also the order the form's children are drawn in.
const TControlCase kControls[] = {
    {CONTROL(Image1), TKind::Picture, {0, 0, 792, 92}, "", "", true},
    {CONTROL(Image2), TKind::Picture, {0, 490, 792, 28}, "", "", true},
    {CONTROL(Image4), TKind::Picture, {-21, 104, 512, 400}, "", "", true},
    {CONTROL(blView), TKind::Placeholder, {37, 151, 395, 193}, "", "", true},
    {CONTROL(Image5), TKind::Picture, {0, 0, 600, 92}, "", "", true},
    {CONTROL(SliderBar), TKind::Slider, {35, 346, 401, 41}, "", "", false},
    {CONTROL(lbVersion), TKind::Label, {744, 495, 36, 18}, "v0.0.1", "", true},
    {CONTROL(lbInfo), TKind::Label, {8, 496, 649, 16}, "", "", true},
    {CONTROL(lbConvertInfo), TKind::Label, {345, 463, 421, 22}, "Processing: 0/0", "", true},
    {CONTROL(btnPlay), TKind::ImageButton, {217, 374, 32, 32}, "", "play", true},
    {CONTROL(btnPause), TKind::ImageButton, {177, 374, 32, 32}, "", "pause", true},
    {CONTROL(btnStop), TKind::ImageButton, {257, 374, 32, 32}, "", "stop", true},
    {CONTROL(btnStartPoint), TKind::ImageButton, {31, 374, 32, 32}, "", "start point", true},
    {CONTROL(btnEndPoint), TKind::ImageButton, {409, 374, 32, 32}, "", "end point", true},
    // The pieces entry is as wide as its eight digits, and the word after it moves along.
    {CONTROL(Label1), TKind::Label, {625, 330, 36, 18}, "pieces", "", true},
    {CONTROL(TBXDock1), TKind::Dock, {0, 92, 792, 28}, "", "", true},
    {CONTROL(btnOpen),
     TKind::PushButton,
     {485, 136, 281, 49},
     "&Open a Video",
     "open a video from disk",
     true},
    {CONTROL(btnSaveFolder),
     TKind::PushButton,
     {485, 192, 281, 49},
     "&Select Save Folder",
     "select a folder for saving thumbnails (Optional)",
     true},
    {CONTROL(btnGenerate),
     TKind::PushButton,
     {485, 392, 281, 65},
     "GENERATE",
     "start generating thumbnails from the video",
     true},
    {CONTROL(etSaveFolder),
     TKind::FlatEdit,
     {485, 256, 281, 28},
     "",
     "save folder (leave blank to use global save folder)",
     false},
    {CONTROL(rbWhole), TKind::Radio, {485, 296, 281, 22}, "convert whole video", "", true},
    {CONTROL(rbPieces), TKind::Radio, {485, 328, 52, 22}, "only", "", true},
    {CONTROL(etPieces), TKind::FlatEdit, {544, 327, 66, 24}, "12", "", false},
    {CONTROL(rbStartEnd), TKind::Radio, {485, 360, 281, 22}, "from start point to end point", "", true},
};

bool IsKind(QWidget* Widget, TKind Kind) {
    switch (Kind) {
    case TKind::Picture:
        return qobject_cast<QLabel*>(Widget) && !qobject_cast<QLabel*>(Widget)->pixmap().isNull();
    case TKind::Placeholder:
        return qobject_cast<QFrame*>(Widget) && !qobject_cast<QLabel*>(Widget);
    case TKind::Slider:
        return dynamic_cast<TSliderBar*>(Widget);
    case TKind::Label:
        return qobject_cast<QLabel*>(Widget) && qobject_cast<QLabel*>(Widget)->pixmap().isNull();
    case TKind::ImageButton:
        return dynamic_cast<TImageButton*>(Widget);
    case TKind::Dock:
        return Widget->findChildren<QMenuBar*>().size() == 2;
    case TKind::PushButton:
        return qobject_cast<QPushButton*>(Widget);
    case TKind::FlatEdit:
        return dynamic_cast<TMyFlatEdit*>(Widget);
    case TKind::Radio:
        return qobject_cast<QRadioButton*>(Widget);
    }
    return false;
}

class TMainFormTest : public ::testing::Test {
protected:
    std::unique_ptr<TmainDlg> Form = std::make_unique<TmainDlg>();
};

TEST_F(TMainFormTest, EveryControlInCreationOrderAtItsPlaceInItsStartState) {
    QList<QWidget*> Children;
    for (QObject* Child : Form->children())
        if (auto* Widget = qobject_cast<QWidget*>(Child))
            Children << Widget;
    ASSERT_EQ(Children.size(), qsizetype(std::size(kControls)));

    for (size_t I = 0; I < std::size(kControls); ++I) {
        const TControlCase& C = kControls[I];
        SCOPED_TRACE(C.Name);
        QWidget* Widget = C.Get(*Form);
        ASSERT_NE(Widget, nullptr);
        EXPECT_EQ(Widget, Children[qsizetype(I)]) << "creation order";
        EXPECT_EQ(Widget->objectName(), QString::fromLatin1(C.Name));
        EXPECT_TRUE(IsKind(Widget, C.Kind));
        EXPECT_EQ(Widget->geometry(), C.Bounds);
        EXPECT_EQ(Caption(Widget), QString::fromUtf8(C.Caption));
        EXPECT_EQ(Widget->toolTip(), QString::fromUtf8(C.Hint));
        // Image buttons keep their own Enabled flag; every one starts enabled either way.
        EXPECT_EQ(Widget->isEnabled(), C.Enabled);
        EXPECT_EQ(Widget->isVisibleTo(Form.get()), C.Kind != TKind::Placeholder);
        if (C.Kind == TKind::ImageButton) {
            auto* Button = dynamic_cast<TImageButton*>(Widget);
            EXPECT_TRUE(Button->FaceEnabled());
            EXPECT_FALSE(Button->UseDown()) << "the pressed face stays in place";
            EXPECT_EQ(Button->cursor().shape(), Qt::PointingHandCursor);
            EXPECT_EQ(Button->Image().size(), QSize(32, 32));
            EXPECT_EQ(Button->ImageOver(), Button->Image());
            EXPECT_EQ(Button->ImageDown(), Button->Image());
            EXPECT_EQ(Button->ImageDisable().size(), QSize(32, 32));
            EXPECT_NE(Button->ImageDisable(), Button->Image());
        }
    }
}

TEST_F(TMainFormTest, FixedWhiteWindowWithMinimiseButNoMaximise) {
    EXPECT_EQ(Form->size(), QSize(792, 518));
    EXPECT_EQ(Form->minimumSize(), Form->maximumSize());
    const Qt::WindowFlags Flags = Form->windowFlags();
    EXPECT_TRUE(Flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(Flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(Flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(Form->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(Form->font().family(), QStringLiteral("Trebuchet MS"));
    EXPECT_EQ(Form->font().pixelSize(), 12);
    for (int Size : {16, 32, 48, 256})
        EXPECT_TRUE(Form->windowIcon().availableSizes().contains(QSize(Size, Size))) << Size;
}

struct TLookCase {
    const char* Name;
    QWidget* (*Get)(TmainDlg&);
    int PixelSize;
    bool Bold;
    bool Italic;
    QPalette::ColorRole Role;
    QColor Color; // invalid: the inherited colour
};

const TLookCase kLooks[] = {
    {CONTROL(lbVersion), 12, true, true, QPalette::WindowText, QColor(Qt::white)},
    {CONTROL(lbInfo), 12, true, true, QPalette::WindowText, QColor(Qt::white)},
    {CONTROL(lbConvertInfo), 16, false, true, QPalette::WindowText, QColor(Qt::black)},
    {CONTROL(Label1), 12, false, false, QPalette::WindowText, QColor()},
    {CONTROL(btnOpen), 16, true, true, QPalette::ButtonText, QColor()},
    {CONTROL(btnSaveFolder), 16, true, true, QPalette::ButtonText, QColor()},
    {CONTROL(btnGenerate), 16, true, true, QPalette::ButtonText, QColor(0, 128, 0)},
    {CONTROL(etSaveFolder), 16, false, false, QPalette::Text, QColor(102, 102, 102)},
    {CONTROL(etPieces), 12, false, false, QPalette::Text, QColor()},
    {CONTROL(rbWhole), 12, false, false, QPalette::WindowText, QColor()},
};

TEST_F(TMainFormTest, FontsAndTextColours) {
    const QPalette Inherited = Form->palette();
    for (const TLookCase& C : kLooks) {
        SCOPED_TRACE(C.Name);
        const QWidget* Widget = C.Get(*Form);
        EXPECT_EQ(Widget->font().family(), QStringLiteral("Trebuchet MS"));
        EXPECT_EQ(Widget->font().pixelSize(), C.PixelSize);
        EXPECT_EQ(Widget->font().bold(), C.Bold);
        EXPECT_EQ(Widget->font().italic(), C.Italic);
        const QColor Expected = C.Color.isValid() ? C.Color : Inherited.color(C.Role);
        EXPECT_EQ(Widget->palette().color(QPalette::Active, C.Role), Expected);
    }
    EXPECT_EQ(Form->lbVersion->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    // The short labels keep their designed width: the version the controller writes and
    // the word after the pieces entry must fit in it.
    EXPECT_LE(Form->lbVersion->fontMetrics().horizontalAdvance(QStringLiteral("v1.1.0")),
              Form->lbVersion->width());
    EXPECT_LE(Form->Label1->fontMetrics().horizontalAdvance(Form->Label1->text()), Form->Label1->width());
    EXPECT_EQ(Form->lbConvertInfo->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST_F(TMainFormTest, EntriesRadiosAndSliderStartValues) {
    EXPECT_TRUE(Form->rbWhole->isChecked());
    EXPECT_FALSE(Form->rbPieces->isChecked());
    EXPECT_FALSE(Form->rbStartEnd->isChecked());

    EXPECT_TRUE(Form->etSaveFolder->isReadOnly());
    EXPECT_EQ(Form->etSaveFolder->ColorBorder(), QColor(172, 168, 153));
    EXPECT_EQ(Form->etSaveFolder->ColorFlat(), QColor(Qt::white));
    EXPECT_EQ(Form->etPieces->ColorFlat(), QColor(Qt::white));
    EXPECT_EQ(Form->etPieces->ValueType(), TEditValueType::evtInteger);
    EXPECT_EQ(Form->etPieces->maxLength(), 8);
    EXPECT_EQ(Form->etPieces->asInteger(), 12);
    // All eight digits show: the caret before the first and after the last lie inside.
    Form->etPieces->setEnabled(true);
    Form->show();
    Form->etPieces->setText(QStringLiteral("88888888"));
    for (int At : {0, 8}) {
        Form->etPieces->setCursorPosition(At);
        const QRect Caret = Form->etPieces->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        EXPECT_TRUE(Form->etPieces->rect().contains(Caret.center())) << At;
    }
    Form->etPieces->setCursorPosition(8);
    const int Last = Form->etPieces->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    Form->etPieces->setCursorPosition(0);
    const int First = Form->etPieces->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
    EXPECT_EQ(Last - First, Form->etPieces->fontMetrics().horizontalAdvance(QStringLiteral("88888888")))
        << "no scrolling between the first and the last digit";

    EXPECT_EQ(Form->SliderBar->Max(), 100);
    EXPECT_EQ(Form->SliderBar->Position(), 0);
    EXPECT_EQ(Form->SliderBar->BarLeft().size(), QSize(1, 5));
    EXPECT_EQ(Form->SliderBar->BarRight().size(), QSize(1, 5));
    EXPECT_EQ(Form->SliderBar->Bar().size(), QSize(5, 5));
    EXPECT_EQ(Form->SliderBar->BarProgress().size(), QSize(5, 5));
    EXPECT_EQ(Form->SliderBar->BarPointer().size(), QSize(25, 14));
    EXPECT_EQ(Form->SliderBar->BarPointerDown().size(), QSize(25, 14));
    EXPECT_TRUE(Form->SliderBar->BarPointer().hasAlphaChannel());
    EXPECT_NE(Form->SliderBar->BarPointerDown(), Form->SliderBar->BarPointer());
}

TEST_F(TMainFormTest, RadioButtonsAreOneExclusiveGroup) {
    Form->show();
    for (QRadioButton* Radio : {Form->rbStartEnd, Form->rbPieces, Form->rbWhole}) {
        QTest::mouseClick(Radio, Qt::LeftButton, {}, QPoint(6, Radio->height() / 2));
        const int Checked =
            Form->rbWhole->isChecked() + Form->rbPieces->isChecked() + Form->rbStartEnd->isChecked();
        EXPECT_TRUE(Radio->isChecked()) << Radio->objectName().toStdString();
        EXPECT_EQ(Checked, 1);
    }
}

// ---- Menu bar ------------------------------------------------------------------------

// One line per menu entry: its path of object names, its caption, its state and its key.
QStringList MenuTree(QWidget* Owner, const QString& Path) {
    QStringList Lines;
    for (QAction* Action : Owner->actions()) {
        QString Name = Action->menu() ? Action->menu()->objectName() : Action->objectName();
        const QString Here = Path + "/" + Name;
        const QString Key = Action->shortcut().toString();
        Lines << QStringLiteral("%1 \"%2\"%3%4")
                     .arg(Here, Action->text(), Action->isEnabled() ? "" : " disabled",
                          Key.isEmpty() ? "" : " " + Key);
        if (Action->menu())
            Lines << MenuTree(Action->menu(), Here);
    }
    return Lines;
}

TEST_F(TMainFormTest, MenuTreeWithCaptionsAndStartStates) {
    const QStringList Expected = {
        "TBXToolbar1/TBXSubmenuItem1 \"&Action\"",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem4 \"&File\"",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem4/tmiOpen \"&Open\" Ctrl+O",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3 \"&Playback\"",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiPlay \"&Play\"",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiPause \"&Pause\"",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiStop \"&Stop\"",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/ \"\"",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiPlayPause \"Play/P&ause\" Space",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiBack \"&Back 5 s\" Left",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiForward \"&Forward 5 s\" Right",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiFullScreen \"F&ull Screen\" F",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiFirstFrame \"F&irst Frame\" Home",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiLastFrame \"&Last Frame\" End",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiNextFrame \"Ne&xt Frame\" .",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiPreviousFrame \"Pre&vious Frame\" ,",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/ \"\"",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiStartMark \"Start &Mark\" I",
        "TBXToolbar1/TBXSubmenuItem1/TBXSubmenuItem3/tmiEndMark \"E&nd Mark\" O",
        "TBXToolbar1/TBXSubmenuItem1/tmiConfig \"&Config\" disabled",
        "TBXToolbar1/TBXSubmenuItem1/tmiSheet \"Make a Contact &Sheet\u2026\"",
        "TBXToolbar1/TBXSubmenuItem1/tmiSaveFrame \"Save This Fra&me\" Ctrl+S",
        "TBXToolbar1/TBXSubmenuItem1/tmiStopJob \"S&top Generating\" Esc",
        "TBXToolbar1/TBXSubmenuItem1/tmiExit \"&Exit\" Ctrl+Q",
        "TBXToolbar2/TBXSubmenuItem2 \"&Help\"",
        "TBXToolbar2/TBXSubmenuItem2/tmiHelp \"&Online\"",
        "TBXToolbar2/TBXSubmenuItem2/tmiSupport \"&Support\"",
        "TBXToolbar2/TBXSubmenuItem2/TBXSeparatorItem1 \"\"",
        "TBXToolbar2/TBXSubmenuItem2/tmiAbout \"&About\"",
    };
    const QStringList Tree =
        MenuTree(Form->TBXToolbar1, "TBXToolbar1") + MenuTree(Form->TBXToolbar2, "TBXToolbar2");
    EXPECT_EQ(Tree.join('\n').toStdString(), Expected.join('\n').toStdString());

    // The members are the entries of the tree.
    const std::pair<QObject*, const char*> Members[] = {
        {Form->TBXSubmenuItem1, "TBXSubmenuItem1"},
        {Form->TBXSubmenuItem2, "TBXSubmenuItem2"},
        {Form->TBXSubmenuItem3, "TBXSubmenuItem3"},
        {Form->TBXSubmenuItem4, "TBXSubmenuItem4"},
        {Form->tmiOpen, "tmiOpen"},
        {Form->tmiPlay, "tmiPlay"},
        {Form->tmiPause, "tmiPause"},
        {Form->tmiStop, "tmiStop"},
        {Form->tmiConfig, "tmiConfig"},
        {Form->tmiSheet, "tmiSheet"},
        {Form->tmiExit, "tmiExit"},
        {Form->tmiHelp, "tmiHelp"},
        {Form->tmiSupport, "tmiSupport"},
        {Form->TBXSeparatorItem1, "TBXSeparatorItem1"},
        {Form->tmiAbout, "tmiAbout"},
    };
    for (const auto& [Member, Name] : Members) {
        ASSERT_NE(Member, nullptr) << Name;
        EXPECT_EQ(Member->objectName(), QString::fromLatin1(Name));
    }
    EXPECT_TRUE(Form->TBXSeparatorItem1->isSeparator());
    for (QMenu* Menu : Form->findChildren<QMenu*>()) {
        EXPECT_EQ(Menu->font().family(), QStringLiteral("Trebuchet MS")) << Menu->objectName().toStdString();
        EXPECT_EQ(Menu->font().pixelSize(), 12);
    }
}

TEST_F(TMainFormTest, ToolbarsSitAtTheEndsOfTheDockOverItsTiledBackground) {
    Form->show();
    for (bool Skinned : {false, true}) {
        SCOPED_TRACE(Skinned ? "skinned" : "plain");
        if (Skinned) {
            SelectSkin(Form.get(), QString::fromLatin1(kHumanSkin));
            QApplication::processEvents(); // the dock lays the toolbars out again
        }
        const QRect Dock = Form->TBXDock1->rect();
        const QRect Left = Form->TBXToolbar1->geometry();
        const QRect Right = Form->TBXToolbar2->geometry();
        EXPECT_EQ(Left.topLeft(), QPoint(0, 0));
        EXPECT_EQ(Right.top(), 0);
        EXPECT_EQ(Right.right(), Dock.right());
        EXPECT_GE(Right.width(), Form->TBXToolbar2->sizeHint().width());
        EXPECT_GE(Left.width(), Form->TBXToolbar1->sizeHint().width());
        // Both fill the dock's height.
        EXPECT_EQ(Left.height(), Dock.height());
        EXPECT_EQ(Right.height(), Dock.height());

        // Between the toolbars the dock shows its 2 × 28 picture, tiled.
        const QImage Tile = Artwork(QStringLiteral("tb_background.png"));
        const QImage Shot = Form->grab().toImage();
        for (int Y = 0; Y < 28; ++Y)
            for (int X : {Left.right() + 10, 400, Right.left() - 9})
                ASSERT_EQ(Shot.pixel(X, 92 + Y), Tile.pixel(X % 2, Y)) << X << "," << Y;
    }
}

// Every item is reached from the keyboard through its accelerators; the disabled one is not.
// "&Play" and "&Pause" share their letter: in the Playback menu, which opens with its first
// item selected, P moves the selection between the two and Return chooses.
TEST_F(TMainFormTest, MenuAcceleratorsReachTheItems) {
    struct TKeys {
        const char* Item;
        QAction* TmainDlg::*Member;
        Qt::Key Menu;
        QList<Qt::Key> Path;
        bool Triggers;
    };
    const TKeys Cases[] = {
        {"tmiOpen", &TmainDlg::tmiOpen, Qt::Key_A, {Qt::Key_F, Qt::Key_O}, true},
        {"tmiPlay", &TmainDlg::tmiPlay, Qt::Key_A, {Qt::Key_P, Qt::Key_Return}, true},
        {"tmiPause", &TmainDlg::tmiPause, Qt::Key_A, {Qt::Key_P, Qt::Key_P, Qt::Key_Return}, true},
        {"tmiStop", &TmainDlg::tmiStop, Qt::Key_A, {Qt::Key_P, Qt::Key_S}, true},
        {"tmiConfig", &TmainDlg::tmiConfig, Qt::Key_A, {Qt::Key_C}, false},
        {"tmiExit", &TmainDlg::tmiExit, Qt::Key_A, {Qt::Key_E}, true},
        {"tmiSaveFrame", &TmainDlg::tmiSaveFrame, Qt::Key_A, {Qt::Key_M}, true},
        {"tmiFullScreen", &TmainDlg::tmiFullScreen, Qt::Key_A, {Qt::Key_P, Qt::Key_U}, true},
        {"tmiFirstFrame", &TmainDlg::tmiFirstFrame, Qt::Key_A, {Qt::Key_P, Qt::Key_I}, true},
        {"tmiLastFrame", &TmainDlg::tmiLastFrame, Qt::Key_A, {Qt::Key_P, Qt::Key_L}, true},
        {"tmiNextFrame", &TmainDlg::tmiNextFrame, Qt::Key_A, {Qt::Key_P, Qt::Key_X}, true},
        {"tmiPreviousFrame", &TmainDlg::tmiPreviousFrame, Qt::Key_A, {Qt::Key_P, Qt::Key_V}, true},
        {"tmiHelp", &TmainDlg::tmiHelp, Qt::Key_H, {Qt::Key_O}, true},
        {"tmiSupport", &TmainDlg::tmiSupport, Qt::Key_H, {Qt::Key_S}, true},
        {"tmiAbout", &TmainDlg::tmiAbout, Qt::Key_H, {Qt::Key_A}, true},
    };
    Form->show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    for (const TKeys& C : Cases) {
        SCOPED_TRACE(C.Item);
        int Triggered = 0;
        QAction* Item = Form.get()->*C.Member;
        const auto Connection = QObject::connect(Item, &QAction::triggered, [&] { ++Triggered; });
        QTest::keyClick(Form.get(), C.Menu, Qt::AltModifier);
        for (Qt::Key Key : C.Path) {
            QWidget* Popup = QApplication::activePopupWidget();
            ASSERT_NE(Popup, nullptr);
            QTest::keyClick(Popup, Key);
        }
        EXPECT_EQ(Triggered, C.Triggers ? 1 : 0);
        QObject::disconnect(Connection);
        while (QWidget* Popup = QApplication::activePopupWidget())
            Popup->close();
    }
}

// ---- Keyboard order -------------------------------------------------------------------

QStringList TabRound(QWidget* From, int Steps) {
    From->setFocus(Qt::TabFocusReason);
    QStringList Names{QApplication::focusWidget()->objectName()};
    for (int I = 1; I < Steps; ++I) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        Names << QApplication::focusWidget()->objectName();
    }
    return Names;
}

TEST_F(TMainFormTest, TabRunsDownTheRightColumnThenAlongThePlayerSkippingDisabledControls) {
    Form->show();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    EXPECT_EQ(QApplication::focusWidget(), Form->btnOpen) << "the window starts at its first stop";

    // At start the save folder, the pieces entry and the slider are disabled: from Select
    // Save Folder focus goes to the radio buttons below it, which are one stop (the arrow keys
    // move inside the group), then to GENERATE under them, along the player's buttons left to
    // right, and back to the top.
    const QStringList AtStart = TabRound(Form->btnOpen, 11);
    EXPECT_EQ(AtStart.join(' ').toStdString(),
              "btnOpen btnSaveFolder rbWhole btnGenerate btnStartPoint btnPause "
              "btnPlay btnStop btnEndPoint btnOpen btnSaveFolder");

    // Once the pieces entry and the slider are enabled each is a stop of its own.
    Form->rbPieces->setChecked(true);
    Form->etPieces->setEnabled(true);
    Form->SliderBar->setEnabled(true);
    const QStringList Enabled = TabRound(Form->btnSaveFolder, 6);
    EXPECT_EQ(Enabled.join(' ').toStdString(),
              "btnSaveFolder rbWhole etPieces btnGenerate SliderBar btnStartPoint");
    // Backwards the same stops come in reverse.
    QTest::keyClick(Form->btnStartPoint, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Form->SliderBar);
    QTest::keyClick(Form->SliderBar, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Form->btnGenerate);
    QTest::keyClick(Form->btnGenerate, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Form->etPieces);
    Form->btnOpen->setFocus(Qt::TabFocusReason);
    QTest::keyClick(Form->btnOpen, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Form->btnEndPoint);
    // A click on a player control leaves the focus where it was.
    Form->etPieces->setFocus();
    QTest::mouseClick(Form->btnPlay, Qt::LeftButton, {}, QPoint(16, 16));
    QTest::mouseClick(Form->SliderBar, Qt::LeftButton, {}, QPoint(200, 20));
    EXPECT_EQ(QApplication::focusWidget(), Form->etPieces);
}

// ---- Hooks -----------------------------------------------------------------------------

TEST(TMainFormHooks, CreateAndDestroyHooksSeeEveryControl) {
    QStringList Calls;
    TmainDlg* Seen = nullptr;
    auto Form = std::make_unique<TmainDlg>(
        [&](QObject* Sender) {
            Seen = static_cast<TmainDlg*>(Sender);
            Calls << "create " + Seen->rbStartEnd->text();
        },
        [&](QObject* Sender) { Calls << "destroy " + static_cast<TmainDlg*>(Sender)->btnOpen->text(); });
    EXPECT_EQ(Seen, Form.get());
    EXPECT_EQ(Calls, QStringList{"create from start point to end point"});
    Form.reset();
    EXPECT_EQ(Calls, QStringList({"create from start point to end point", "destroy &Open a Video"}));
}

TEST(TMainFormHooks, CloseHookDecidesWhetherTheWindowCloses) {
    const std::pair<const char*, std::optional<TCloseAction>> Cases[] = {
        {"no hook", std::nullopt},
        {"caHide", TCloseAction::caHide},
        {"caNone", TCloseAction::caNone},
    };
    for (const auto& [Name, Answer] : Cases) {
        SCOPED_TRACE(Name);
        TmainDlg Form;
        int Asked = 0;
        if (Answer)
            Form.OnClose = [&, Answer = *Answer](QObject* Sender, TCloseAction& Action) {
                ++Asked;
                EXPECT_EQ(Sender, &Form);
                EXPECT_EQ(Action, TCloseAction::caHide);
                Action = Answer;
            };
        Form.show();
        const bool Closed = Form.close();
        EXPECT_EQ(Asked, Answer ? 1 : 0);
        const bool ShouldClose = !Answer || *Answer == TCloseAction::caHide;
        EXPECT_EQ(Closed, ShouldClose);
        EXPECT_EQ(Form.isVisible(), !ShouldClose);
        EXPECT_FALSE(Form.isMinimized());
    }
}

// ---- Rendering -------------------------------------------------------------------------

TEST_F(TMainFormTest, RendersTheStartStateOverItsArtwork) {
    for (bool Skinned : {false, true}) {
        SCOPED_TRACE(Skinned ? "skinned" : "plain");
        if (Skinned)
            SelectSkin(Form.get(), QString::fromLatin1(kHumanSkin));
        Form->show();
        QApplication::processEvents();
        const QImage Shot = Form->grab().toImage();
        KeepPicture(Shot, Skinned ? "main_window_skinned" : "main_window");
        ASSERT_EQ(Shot.size(), QSize(792, 518));

        // The empty screen of the monitor fills the video area.
        const QRect View = Form->blView->geometry();
        for (QPoint P :
             {View.topLeft(), View.topRight(), View.bottomLeft(), View.bottomRight(), View.center()})
            EXPECT_TRUE(IsDark(Shot.pixel(P))) << P.x() << "," << P.y();
        // The header band shows where the header artwork has faded out, the footer band
        // under the info line, and the window's white beside the monitor.
        const QImage Band = Artwork(QStringLiteral("header_band.png"));
        const QImage Footer = Artwork(QStringLiteral("footer_band.png"));
        for (int Y : {2, 60, 90})
            EXPECT_EQ(Shot.pixel(700, Y), Band.pixel(100, Y)) << Y;
        EXPECT_EQ(Shot.pixel(700, 492), Footer.pixel(100, 2));
        EXPECT_EQ(QColor(Shot.pixel(470, 300)), QColor(Qt::white));
        // The player buttons show their blue faces.
        const QImage Play = Artwork(QStringLiteral("glyph_play.png")).convertToFormat(QImage::Format_RGB32);
        const QRect Button = Form->btnPlay->geometry();
        EXPECT_EQ(Shot.pixel(Button.topLeft() + QPoint(16, 4)), Play.pixel(16, 4));
    }
}

} // namespace
