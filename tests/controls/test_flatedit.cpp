#include "gui/widgets/flatedit.h"

#include "helpers.h"

#include <QAction>
#include <QClipboard>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

const QColor kWindow(200, 220, 240);
const QColor kFlat(235, 234, 225);
const QColor kBorder(160, 150, 131);
const QColor kFocused(255, 255, 255);

constexpr char kBackspace = '\b';
constexpr char kDelete = 127;
constexpr char kUp = 1;
constexpr char kDown = 2;
constexpr char kWheelUp = 3;
constexpr char kWheelDown = 4;

// A shown, active window holding two flat edits and a push button, so that focus and
// hover behave as on a desktop.
class FlatEditTest : public ::testing::Test {
protected:
    FlatEditTest() {
        FWindow.resize(300, 120);
        QPalette Palette = FWindow.palette();
        Palette.setColor(QPalette::Window, kWindow);
        FWindow.setPalette(Palette);
        Edit = new TMyFlatEdit(&FWindow);
        Other = new TMyFlatEdit(&FWindow);
        Other->move(0, 40);
        Button = new QPushButton(QStringLiteral("OK"), &FWindow);
        Button->move(0, 80);
        FWindow.show();
        QApplication::setActiveWindow(&FWindow);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&FWindow));
        // Wherever the platform put the cursor, start with the mouse over neither entry.
        Unhover(Edit);
        Unhover(Other);
    }

    // A key or a wheel turn as the user gives it.
    void Give(TMyFlatEdit* Target, char Key) {
        switch (Key) {
        case kBackspace:
            QTest::keyClick(Target, Qt::Key_Backspace);
            break;
        case kDelete:
            QTest::keyClick(Target, Qt::Key_Delete);
            break;
        case kUp:
            QTest::keyClick(Target, Qt::Key_Up);
            break;
        case kDown:
            QTest::keyClick(Target, Qt::Key_Down);
            break;
        case kWheelUp:
        case kWheelDown: {
            const QPointF At(10, 8);
            QWheelEvent Event(At, Target->mapToGlobal(At), QPoint(), QPoint(0, Key == kWheelUp ? 120 : -120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(Target, &Event);
            break;
        }
        default:
            QTest::keyClick(Target, Key);
        }
    }

    void Hover(TMyFlatEdit* Target) {
        QEnterEvent Event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(Target, &Event);
    }

    void Unhover(TMyFlatEdit* Target) {
        QEvent Event(QEvent::Leave);
        QApplication::sendEvent(Target, &Event);
    }

    // The colour of the field as drawn: just inside the border line, and in the text area.
    QRgb FieldColor(TMyFlatEdit* Target) {
        const QImage Image = Target->grab().toImage();
        const QRgb Ring = Pixel(Image, 1, 1);
        EXPECT_EQ(Pixel(Image, Image.width() - 6, Image.height() / 2), Ring);
        return Ring;
    }

    TMyFlatEdit* Edit;
    TMyFlatEdit* Other;
    QPushButton* Button;

private:
    QWidget FWindow;
};

TEST_F(FlatEditTest, TypingKeepsAPlainNonNegativeNumber) {
    struct Case {
        const char* Text;
        int SelStart; // -1: caret at the end
        int SelLength;
        char Key;
        const char* Expected;
    };
    const std::vector<Case> Cases = {
        {"0", -1, 0, '5', "5"},           {"0", 0, 0, '4', "4"},          {"0", 0, 1, '9', "9"},          {"0", -1, 0, '0', "0"},         {"0", -1, 0, kBackspace, "0"},
        {"7", -1, 0, kBackspace, "0"},    {"123", 0, 3, kBackspace, "0"}, {"123", 2, 1, kBackspace, "12"},
        {"123", -1, 0, kBackspace, "12"}, {"", -1, 0, kBackspace, "0"},   {"12", -1, 0, '3', "123"},
        {"12", 0, 0, '5', "512"},         {"12", 0, 0, '0', "12"},        {"12", 1, 0, '0', "102"},
        {"123", 0, 3, '0', "123"},        {"", -1, 0, '0', "0"},          {"12", -1, 0, 'a', "12"},
        {"12", -1, 0, '-', "12"},         {"12", -1, 0, '.', "12"},       {"12", -1, 0, ' ', "12"},
        {"123", 1, 0, kDelete, "123"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << '"' << C.Text << "\" key " << int(C.Key));
        Edit->setText(QString::fromUtf8(C.Text));
        if (C.SelStart >= 0)
            Edit->setSelection(C.SelStart, C.SelLength);
        Give(Edit, C.Key);
        EXPECT_EQ(Edit->text().toStdString(), C.Expected);
    }

    // Select all, Backspace, 4: four, not forty.
    Edit->setText(QStringLiteral("12"));
    Edit->selectAll();
    Give(Edit, kBackspace);
    Give(Edit, '4');
    EXPECT_EQ(Edit->text(), QStringLiteral("4"));
    EXPECT_EQ(Edit->asInteger(), 4);

    // Nothing at all can be typed in float mode.
    Edit->SetValueType(TEditValueType::evtFloat);
    for (const char Key : {'5', '0', kBackspace, kDelete}) {
        Edit->setText(QStringLiteral("/home/me/Pictures/"));
        Give(Edit, Key);
        EXPECT_EQ(Edit->text(), QStringLiteral("/home/me/Pictures/")) << "key " << int(Key);
    }
}

TEST_F(FlatEditTest, StepsWithinTheLimits) {
    struct Case {
        int32_t Min;
        int32_t Max;
        const char* Text;
        char Key;
        const char* Expected;
    };
    const std::vector<Case> Cases = {
        {0, 0, "0", kDown, "0"},    {0, 0, "1", kDown, "0"},
        {-3, 0, "0", kDown, "-1"},  {0, 0, "99", kUp, "100"},
        {0, 10, "9", kUp, "10"},    {0, 10, "10", kUp, "10"},
        {0, 10, "12", kUp, "12"},   {0, 0, "", kUp, "1"},
        {0, 0, "", kDown, ""},      {0, 0, "2147483647", kUp, "2147483647"},
        {0, 0, "5", kWheelUp, "6"}, {0, 0, "5", kWheelDown, "4"},
    };
    Edit->setFocus();
    ASSERT_TRUE(Edit->hasFocus());
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << '"' << C.Text << "\" key " << int(C.Key));
        Edit->SetMinValue(C.Min);
        Edit->SetMaxValue(C.Max);
        Edit->setText(QString::fromUtf8(C.Text));
        Give(Edit, C.Key);
        EXPECT_EQ(Edit->text().toStdString(), C.Expected);
    }

    // The wheel steps only the entry that has the focus.
    Other->setText(QStringLiteral("5"));
    Give(Other, kWheelUp);
    EXPECT_EQ(Other->text(), QStringLiteral("5"));

    Edit->SetValueType(TEditValueType::evtFloat);
    Edit->setText(QStringLiteral("7"));
    for (const char Key : {kUp, kDown, kWheelUp, kWheelDown}) {
        Give(Edit, Key);
        EXPECT_EQ(Edit->text(), QStringLiteral("7")) << "key " << int(Key);
    }
}

TEST_F(FlatEditTest, AsIntegerReadsDecimalOrFails) {
    struct Case {
        const char* Text;
        bool Valid;
        int32_t Expected;
    };
    const std::vector<Case> Cases = {
        {"", true, 0},
        {"42", true, 42},
        {"-7", true, -7},
        {"+3", true, 3},
        {"007", true, 7},
        {"2147483647", true, INT_MAX},
        {"-2147483648", true, INT_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"12a", false, 0},
        {"1.5", false, 0},
        {"-", false, 0},
        {" 7", false, 0},
        {"7 ", false, 0},
        {"\u0663", false, 0}, // an Arabic-Indic digit is not a decimal digit here
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Text);
        Edit->setText(QString::fromUtf8(C.Text));
        if (C.Valid) {
            EXPECT_EQ(Edit->asInteger(), C.Expected);
            continue;
        }
        try {
            Edit->asInteger();
            ADD_FAILURE() << "no conversion error";
        } catch (const EConvertError& Error) {
            EXPECT_EQ(Error.what(), "'" + std::string(C.Text) + "' is not a valid integer value");
        }
    }
}

TEST_F(FlatEditTest, PastedTextIsKeptAndStepsOnItFail) {
    QApplication::clipboard()->setText(QStringLiteral("12a"));
    Edit->setText(QString());
    Edit->paste();
    EXPECT_EQ(Edit->text(), QStringLiteral("12a"));
    EXPECT_THROW(Edit->asInteger(), EConvertError);
    EXPECT_THROW(Edit->StepUp(), EConvertError);
    EXPECT_THROW(Edit->StepDown(), EConvertError);
    // From the keyboard and the wheel the error leaves the event handler for the
    // application's error report.
    Edit->setFocus();
    for (const char Key : {kUp, kDown, kWheelUp, kWheelDown})
        EXPECT_THROW(Give(Edit, Key), EConvertError) << "key " << int(Key);
    EXPECT_EQ(Edit->text(), QStringLiteral("12a"));
}

TEST_F(FlatEditTest, FloatEntryShowsItsStartWhenLeft) {
    Edit->SetValueType(TEditValueType::evtFloat);
    Edit->setText(QStringLiteral("/home/me/Pictures/"));
    Other->setText(QStringLiteral("12"));
    Edit->setFocus();
    Other->setFocus();
    EXPECT_EQ(Edit->cursorPosition(), 0);
    Edit->setFocus();
    EXPECT_EQ(Other->cursorPosition(), 2) << "an integer entry keeps its caret";
}

// A path too wide for the field loses the folders in its middle: its last folders stay whole
// as far as they fit, then its first ones; without whole folders that fit, or without
// folders, characters go from the middle.
TEST_F(FlatEditTest, APathLosesTheFoldersInItsMiddle) {
    Edit->SetElideMode(Qt::ElideMiddle);
    Button->setFocus();
    const QString Gap(QChar(0x2026));
    const QString Long(40, u'x');
    struct TCase {
        QString Text;
        QString Shown;
    };
    const TCase Cases[] = {
        {"/short/path/", "/short/path/"},
        {"/home/" + Long + "/Thumbs/", "/home/" + Gap + "/Thumbs/"},
        {"/home/" + Long + "/" + Long + "/Thumbs/", "/home/" + Gap + "/Thumbs/"},
        {"/a/b/" + Long + "/Thumbs/", "/a/b/" + Gap + "/Thumbs/"},
        {"/home/" + Long + "/a/b/", "/home/" + Gap + "/a/b/"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Text.toStdString());
        Edit->resize(Edit->fontMetrics().horizontalAdvance("/home/" + Gap + "/Thumbs/") + 40, 24);
        Edit->setText(C.Text);
        EXPECT_EQ(Edit->ShownText(), C.Shown);
    }
    // A last folder that alone is too wide, or a text without folders, is cut in its middle.
    for (const QString& Text : {"/home/" + Long + "/", QString(80, u'y') + "z"}) {
        Edit->setText(Text);
        const QString Shown = Edit->ShownText();
        EXPECT_TRUE(Shown.contains(Gap)) << Shown.toStdString();
        EXPECT_EQ(Shown.back(), Text.back()) << Shown.toStdString();
    }
}

// A text too wide for the field shows its start and its end while the field has no focus,
// written exactly where the line edit writes a text of its own, and ending before an action
// shown in the field; with the focus the whole text scrolls as usual.
TEST_F(FlatEditTest, ALongTextShowsItsEndsWhereTheLineEditWritesText) {
    const QString Long =
        QStringLiteral("/home/somebody/Pictures/") + QString(60, u'x') + QStringLiteral("/The End/");
    Edit->resize(240, 28);
    Other->resize(240, 28);
    Edit->setText(Long);
    EXPECT_EQ(Edit->ShownText(), Long) << "no eliding without the mode";
    Edit->SetElideMode(Qt::ElideMiddle);
    Button->setFocus();
    const QString Shown = Edit->ShownText();
    EXPECT_TRUE(Shown.startsWith(QStringLiteral("/home/"))) << Shown.toStdString();
    EXPECT_TRUE(Shown.endsWith(QStringLiteral("/The End/"))) << Shown.toStdString();
    EXPECT_TRUE(Shown.contains(QChar(0x2026))) << Shown.toStdString();
    EXPECT_EQ(Edit->text(), Long);

    // The same look as a line edit given the shortened text itself.
    Other->setText(Shown);
    EXPECT_EQ(Edit->grab().toImage(), Other->grab().toImage());

    // An action in the field takes its room from the text.
    QAction Clear(QStringLiteral("clear"));
    QPixmap Icon(16, 16);
    Icon.fill(Qt::red);
    Clear.setIcon(QIcon(Icon));
    Edit->addAction(&Clear, QLineEdit::TrailingPosition);
    const QString Shorter = Edit->ShownText();
    EXPECT_LT(Shorter.size(), Shown.size());
    EXPECT_TRUE(Shorter.endsWith(QStringLiteral("/The End/"))) << Shorter.toStdString();
    const QImage WithAction = Edit->grab().toImage();
    QToolButton* ActionButton = Edit->findChild<QToolButton*>();
    ASSERT_NE(ActionButton, nullptr);
    for (int Y = 6; Y < 22; ++Y)
        for (int X = ActionButton->x() - 2; X < ActionButton->x(); ++X)
            EXPECT_EQ(Pixel(WithAction, X, Y), Pixel(WithAction, X, 3))
                << "text under the action at " << X << "," << Y;

    Edit->setFocus();
    EXPECT_EQ(Edit->ShownText(), Long);
}

TEST_F(FlatEditTest, HighlightOnFocusOrHoverUnlessAnotherFlatEditHasTheFocus) {
    Edit->SetColorFlat(kFlat);
    Edit->setText(QString());
    Button->setFocus();

    QImage Image = Edit->grab().toImage();
    KeepPicture(Image, "flatedit_idle");
    EXPECT_EQ(Pixel(Image, 0, 0), Rgb(kBorder));
    EXPECT_EQ(Pixel(Image, 120, 18), Rgb(kBorder));
    EXPECT_EQ(FieldColor(Edit), Rgb(kFlat));

    Hover(Edit);
    Image = Edit->grab().toImage();
    KeepPicture(Image, "flatedit_highlighted");
    EXPECT_EQ(Pixel(Image, 0, 0), Rgb(kBorder));
    EXPECT_EQ(FieldColor(Edit), Rgb(kFocused)) << "hover while a button has the focus";

    Other->setFocus();
    EXPECT_EQ(FieldColor(Edit), Rgb(kFlat)) << "hover while another flat edit has the focus";

    Edit->setFocus();
    EXPECT_EQ(FieldColor(Edit), Rgb(kFocused)) << "focus";
    Unhover(Edit);
    EXPECT_EQ(FieldColor(Edit), Rgb(kFocused)) << "focus without hover";

    Button->setFocus();
    EXPECT_EQ(FieldColor(Edit), Rgb(kFlat));
    Edit->setEnabled(false);
    EXPECT_EQ(FieldColor(Edit), Rgb(kFlat)) << "disabled looks the same";
}

TEST_F(FlatEditTest, FlatColourFollowsTheParentUntilSet) {
    EXPECT_TRUE(Edit->ParentColor());
    EXPECT_EQ(Edit->ColorFlat(), kWindow);
    EXPECT_EQ(Edit->ColorBorder(), kBorder);
    EXPECT_EQ(Edit->ColorFocused(), kFocused);

    QWidget* Window = Edit->parentWidget();
    auto Repaint = [Window](const QColor& Color) {
        QPalette Palette = Window->palette();
        Palette.setColor(QPalette::Window, Color);
        Window->setPalette(Palette);
    };
    Repaint(Qt::yellow);
    EXPECT_EQ(Edit->ColorFlat(), QColor(Qt::yellow));

    Edit->SetColorFlat(Qt::white);
    EXPECT_FALSE(Edit->ParentColor());
    Repaint(Qt::cyan);
    EXPECT_EQ(Edit->ColorFlat(), QColor(Qt::white));

    Edit->SetParentColor(true);
    EXPECT_EQ(Edit->ColorFlat(), QColor(Qt::cyan));

    TMyFlatEdit Loose;
    EXPECT_EQ(Loose.ColorFlat(), kFlat) << "nothing to follow without a parent";
    Loose.setParent(Window);
    EXPECT_EQ(Loose.ColorFlat(), QColor(Qt::cyan)) << "taken when a parent is given";
}

TEST_F(FlatEditTest, HeightFollowsTheFont) {
    TMyFlatEdit Loose;
    EXPECT_EQ(Loose.geometry(), QRect(0, 0, 121, 19));
    QFont Font = Loose.font();
    Font.setPixelSize(30);
    Loose.setFont(Font);
    EXPECT_EQ(Loose.height(), QFontMetrics(Font).height() + 6);
    EXPECT_EQ(Loose.width(), 121);
}

} // namespace
