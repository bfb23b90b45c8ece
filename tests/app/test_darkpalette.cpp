// Every form and dialog under a dark desktop palette: the skin brings all the colours its
// texts rely on, so each label's and button's text stands clearly apart from what is
// behind it.
#include "gui/dialogs/aboutForm.h"
#include "gui/dialogs/completeForm.h"
#include "gui/dialogs/configForm.h"
#include "gui/mainForm.h"
#include "gui/uiManager.h"
#include "gui/widgets/flatedit.h"
#include "gui/widgets/humanskin.h"
#include "gui/widgets/linkLabel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

namespace {

// A dark palette as qt6ct's dark colour scheme gives one: light text on dark grounds.
QPalette DarkPalette() {
    QPalette Dark;
    const QColor Ground(0x30, 0x30, 0x30), Text(0xee, 0xee, 0xee);
    for (auto Role : {QPalette::Window, QPalette::Base, QPalette::Button, QPalette::AlternateBase,
                      QPalette::ToolTipBase})
        Dark.setColor(Role, Ground);
    for (auto Role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText,
                      QPalette::BrightText, QPalette::HighlightedText})
        Dark.setColor(Role, Text);
    Dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    Dark.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    return Dark;
}

int Lightness(QRgb C) { return (qRed(C) * 299 + qGreen(C) * 587 + qBlue(C) * 114) / 1000; }

// The largest lightness difference between any pixel of Area and the area's most common
// colour, its background. A text in the colour of its background gives about 0.
int TextContrast(const QImage& Shot, const QRect& Area) {
    std::map<QRgb, int> Count;
    const QRect R = Area.intersected(Shot.rect());
    for (int Y = R.top(); Y <= R.bottom(); ++Y)
        for (int X = R.left(); X <= R.right(); ++X)
            ++Count[Shot.pixel(X, Y)];
    if (Count.empty())
        return 0;
    QRgb Background = Count.begin()->first;
    for (const auto& [Color, N] : Count)
        if (N > Count[Background])
            Background = Color;
    int Most = 0;
    for (const auto& [Color, N] : Count)
        Most = std::max(Most, std::abs(Lightness(Color) - Lightness(Background)));
    return Most;
}

// Every visible text of Window: labels whole, buttons without their frame, radio buttons
// and check boxes without their indicator.
void ExpectReadableTexts(QWidget* Window, const char* What) {
    Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Window));
    const QImage Shot = Window->grab().toImage();
    // TROVELLE_KEEP_PICTURES=folder keeps what was looked at, to look at it oneself.
    if (qEnvironmentVariableIsSet("TROVELLE_KEEP_PICTURES"))
        Shot.save(qEnvironmentVariable("TROVELLE_KEEP_PICTURES") + "/dark_" + QString::fromLatin1(What).replace(' ', '_') + ".png");
    int Checked = 0;
    for (QWidget* W : Window->findChildren<QWidget*>()) {
        if (!W->isVisibleTo(Window) || W->window() != Window)
            continue;
        QRect Area(W->mapTo(Window, QPoint(0, 0)), W->size());
        QString Text;
        if (auto* Label = qobject_cast<QLabel*>(W)) {
            Text = Label->text();
        } else if (auto* Button = qobject_cast<QAbstractButton*>(W)) {
            Text = Button->text();
            if (qobject_cast<QRadioButton*>(W) || qobject_cast<QCheckBox*>(W))
                Area.setLeft(Area.left() + 20);
            else
                Area.adjust(4, 4, -4, -4);
        }
        if (Text.isEmpty())
            continue;
        ++Checked;
        EXPECT_GE(TextContrast(Shot, Area), 100) << What << ": " << W->objectName().toStdString() << " \""
                                                 << Text.toStdString() << "\"";
    }
    EXPECT_GT(Checked, 2) << What;
    Window->hide();
}

class DarkPalette : public ::testing::Test {
protected:
    void SetUp() override {
        FSaved = QApplication::palette();
        QApplication::setPalette(::DarkPalette());
    }
    void TearDown() override { QApplication::setPalette(FSaved); }

private:
    QPalette FSaved;
};

} // namespace

TEST_F(DarkPalette, EveryFormAndDialogKeepsItsTextsReadable) {
    std::unique_ptr<TUIManager> UI;
    TmainDlg Main([&](QObject* Sender) {
        UI = std::make_unique<TUIManager>(static_cast<TmainDlg*>(Sender));
        UI->Initialize();
    },
                  [&](QObject*) { UI.reset(); });
    Main.etPieces->setEnabled(true);
    Main.lbInfo->setText("FPS: 25.00 Size: 320x240 Duration: 00:02:00 Timestamp: 00:00:00");
    ExpectReadableTexts(&Main, "main window");

    // The menus are windows of their own.
    for (QMenu* Menu : {Main.TBXSubmenuItem1, Main.TBXSubmenuItem2}) {
        Menu->popup(Main.mapToGlobal(QPoint(10, 120)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Menu));
        const QImage Shot = Menu->grab().toImage();
        for (QAction* Item : Menu->actions()) {
            if (Item->isSeparator())
                continue;
            // A disabled item is meant to be faint, not gone.
            EXPECT_GE(TextContrast(Shot, Menu->actionGeometry(Item)), Item->isEnabled() ? 100 : 60)
                << Item->text().toStdString();
        }
        Menu->hide();
    }

    TaboutDlg About(&Main);
    ExpectReadableTexts(&About, "about box");
    TcompleteDlg Complete(&Main);
    Complete.lbPath->setText("/home/me/Pictures/holiday");
    ExpectReadableTexts(&Complete, "completion dialog");
    TconfigDlg Config(&Main);
    ExpectReadableTexts(&Config, "size dialog");
    // The size entries are texts too.
    Config.show();
    const QImage Shot = Config.grab().toImage();
    for (QWidget* Entry : {static_cast<QWidget*>(Config.etWidth), static_cast<QWidget*>(Config.etHeight)})
        EXPECT_GE(TextContrast(Shot, Entry->geometry().adjusted(3, 3, -3, -3)), 100);
}
