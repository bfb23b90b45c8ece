#include "gui/dialogs/configForm.h"
#include "gui/dialogs/sheetForm.h"
#include "gui/widgets/flatedit.h"
#include "helpers.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The dialog as the controller fills it for a 400 x 225 size, shown without a modal loop.
class ConfigFormTest : public ::testing::Test {
protected:
    void Open(double AspectRatio, bool Constrain = true) {
        Dlg = std::make_unique<TconfigDlg>();
        Dlg->ThumbWidth = 400;
        Dlg->ThumbHeight = 225;
        Dlg->AspectRatio = AspectRatio;
        Dlg->ckbConstrain->setChecked(Constrain);
        Dlg->show();
        Dlg->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Dlg.get()));
    }

    // Replaces the entry's text as a user would: focus, select all, type.
    static void Type(TMyFlatEdit* Edit, const QString& Text) {
        Edit->setFocus();
        ASSERT_TRUE(Edit->hasFocus());
        Edit->selectAll();
        QTest::keyClicks(Edit, Text);
        ASSERT_EQ(Edit->text(), Text);
    }

    std::unique_ptr<TconfigDlg> Dlg;
};

} // namespace

TEST_F(ConfigFormTest, FreshDialog) {
    TconfigDlg Fresh;
    EXPECT_EQ(Fresh.ThumbWidth, 400);
    EXPECT_EQ(Fresh.ThumbHeight, 400);
    EXPECT_EQ(Fresh.AspectRatio, 1.0);
    EXPECT_FALSE(Fresh.Accepted);
    EXPECT_EQ(Fresh.windowTitle(), QString::fromUtf8("Thumbnail Size – Trovelle"));
    EXPECT_EQ(Fresh.size(), QSize(442, 270));
    EXPECT_TRUE(Fresh.ckbConstrain->isChecked());
    for (TMyFlatEdit* Edit : {Fresh.etWidth, Fresh.etHeight}) {
        EXPECT_EQ(Edit->parentWidget(), &Fresh);
        EXPECT_EQ(Edit->text(), QStringLiteral("0"));
        EXPECT_EQ(Edit->maxLength(), 5);
        EXPECT_EQ(Edit->ColorBorder(), QColor(172, 168, 153));
        EXPECT_EQ(Edit->ColorFlat(), QColor(235, 234, 225)) << "not the dialog's white";
        EXPECT_EQ(Edit->palette().color(QPalette::Text), QColor(102, 102, 102));
        EXPECT_EQ(Edit->ValueType(), TEditValueType::evtInteger);
    }
}

TEST_F(ConfigFormTest, EntriesSitBesideTheirLabels) {
    // The form's labels as drawn in its designer: 34 x 18 and 37 x 18.
    EXPECT_EQ(TconfigDlg::EntryRect(QRect(16, 16, 34, 18)), QRect(66, 13, 121, 24));
    EXPECT_EQ(TconfigDlg::EntryRect(QRect(16, 48, 37, 18)).topLeft(), QPoint(69, 45));
    EXPECT_EQ(TconfigDlg::EntryRect(QRect(16, 48, 34, 17)).topLeft(), QPoint(66, 45))
        << "odd gap rounds down";

    // In the dialog the labels are sized to their text in this font; the height entry
    // lines up under the width entry whatever the height label's width.
    TconfigDlg Fresh;
    EXPECT_EQ(Fresh.lbWidth->pos(), QPoint(16, 16));
    EXPECT_EQ(Fresh.lbHeight->pos(), QPoint(16, 48));
    EXPECT_GE(Fresh.lbWidth->width(), Fresh.lbWidth->sizeHint().width()) << "label text not cut";
    EXPECT_EQ(Fresh.etWidth->geometry(), TconfigDlg::EntryRect(Fresh.lbWidth->geometry()));
    QRect Height = TconfigDlg::EntryRect(Fresh.lbHeight->geometry());
    Height.moveLeft(Fresh.etWidth->x());
    EXPECT_EQ(Fresh.etHeight->geometry(), Height);
    EXPECT_EQ(Fresh.etWidth->y(), 13);
    EXPECT_EQ(Fresh.etHeight->y(), 45);
}

TEST_F(ConfigFormTest, ShowFillsTheEntriesWithoutDrivingTheLock) {
    Open(1.0);
    EXPECT_EQ(Dlg->etWidth->text(), QStringLiteral("400"));
    EXPECT_EQ(Dlg->etHeight->text(), QStringLiteral("225")) << "a 1.0 ratio would have made it 400";
    EXPECT_TRUE(Dlg->etWidth->hasFocus()) << "the first entry, ready to type";
    // Tab goes width before height, then through the form's controls, and round again.
    for (QWidget* Next : std::initializer_list<QWidget*>{Dlg->etHeight, Dlg->ckbConstrain, Dlg->btnCancel,
                                                         Dlg->btnOk, Dlg->etWidth}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Next);
    }
    EXPECT_EQ(Dlg->etWidth->text(), QStringLiteral("400")) << "focus alone drives nothing";
    EXPECT_EQ(Dlg->etHeight->text(), QStringLiteral("225"));
}

// OK, which Enter in an entry presses, carries the default button's frame, also after the
// focus went through Cancel; on Cancel, Cancel carries it.
TEST_F(ConfigFormTest, OkIsTheDefaultButton) {
    Open(1.0);
    struct TStop {
        QWidget* Focus;
        QPushButton* Default;
    };
    for (const TStop& Stop : {TStop{Dlg->etWidth, Dlg->btnOk}, TStop{Dlg->btnCancel, Dlg->btnCancel},
                              TStop{Dlg->etHeight, Dlg->btnOk}}) {
        Stop.Focus->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(Dlg->btnOk->isDefault(), Stop.Default == Dlg->btnOk)
            << Stop.Focus->metaObject()->className();
        EXPECT_EQ(Dlg->btnCancel->isDefault(), Stop.Default == Dlg->btnCancel);
    }
}

TEST_F(ConfigFormTest, TheFocusedEntryDrivesTheOther) {
    struct TCase {
        const char* Name;
        double AspectRatio;
        bool Constrain;
        bool TypeWidth; // else the height is typed
        const char* Typed;
        const char* OtherShows;
    };
    const TCase Cases[] = {
        {"16:9 width", 16.0 / 9.0, true, true, "1280", "720"},
        {"16:9 width rounds up", 16.0 / 9.0, true, true, "1281", "721"},
        {"16:9 height", 16.0 / 9.0, true, false, "100", "178"},
        {"half to even, down", 2.0, true, true, "5", "2"},
        {"half to even, up", 2.0, true, true, "7", "4"},
        {"no video: equal sides", 1.0, true, true, "300", "300"},
        {"no video, height", 1.0, true, false, "64", "64"},
        {"unticked: width alone", 16.0 / 9.0, false, true, "1280", "225"},
        {"unticked: height alone", 16.0 / 9.0, false, false, "100", "400"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Open(Case.AspectRatio, Case.Constrain);
        TMyFlatEdit* Typed = Case.TypeWidth ? Dlg->etWidth : Dlg->etHeight;
        TMyFlatEdit* Other = Case.TypeWidth ? Dlg->etHeight : Dlg->etWidth;
        Type(Typed, QString::fromLatin1(Case.Typed));
        EXPECT_EQ(Other->text(), QString::fromLatin1(Case.OtherShows));
        EXPECT_EQ(Typed->text(), QString::fromLatin1(Case.Typed)) << "no echo back";
    }
}

TEST_F(ConfigFormTest, SteppingAndEmptyingDriveToo) {
    Open(16.0 / 9.0);
    Type(Dlg->etWidth, QStringLiteral("1280"));
    QTest::keyClick(Dlg->etWidth, Qt::Key_Up);
    EXPECT_EQ(Dlg->etHeight->text(), QStringLiteral("721"));

    // Cut leaves the entry empty, which reads as 0.
    Dlg->etWidth->selectAll();
    QTest::keySequence(Dlg->etWidth, QKeySequence::Cut);
    ASSERT_EQ(Dlg->etWidth->text(), QString());
    EXPECT_EQ(Dlg->etHeight->text(), QStringLiteral("0"));
}

TEST_F(ConfigFormTest, TickingFitsTheHeightToTheWidth) {
    Open(1.0, false);
    QTest::mouseClick(Dlg->ckbConstrain, Qt::LeftButton);
    ASSERT_TRUE(Dlg->ckbConstrain->isChecked());
    EXPECT_EQ(Dlg->etWidth->text(), QStringLiteral("400"));
    EXPECT_EQ(Dlg->etHeight->text(), QStringLiteral("400"));

    Open(16.0 / 9.0, false);
    Type(Dlg->etWidth, QStringLiteral("1280"));
    Type(Dlg->etHeight, QStringLiteral("99"));
    QTest::mouseClick(Dlg->ckbConstrain, Qt::LeftButton);
    EXPECT_EQ(Dlg->etHeight->text(), QStringLiteral("720"));
    EXPECT_EQ(Dlg->etWidth->text(), QStringLiteral("1280"));

    // Unticking changes nothing.
    Type(Dlg->etHeight, QStringLiteral("99"));
    EXPECT_EQ(Dlg->etWidth->text(), QStringLiteral("176"));
    QTest::mouseClick(Dlg->ckbConstrain, Qt::LeftButton);
    ASSERT_FALSE(Dlg->ckbConstrain->isChecked());
    EXPECT_EQ(Dlg->etWidth->text(), QStringLiteral("176"));
    EXPECT_EQ(Dlg->etHeight->text(), QStringLiteral("99"));
}

// A value the lock cannot convert (pasted text that is no number, a side the ratio makes
// too large for any size) never raises through the entry's signal: the other entry stays
// as it was, and a message box says why.
TEST_F(ConfigFormTest, UnconvertibleValueIsShownAndLeavesTheOtherEntry) {
    struct TCase {
        double AspectRatio;
        const char* Text;
        const char* Reason;
    };
    for (const TCase& C : {TCase{1.0, "12a", "'12a' is not a valid integer value"},
                           TCase{1e-9, "99999", "Floating point overflow"}}) {
        Open(C.AspectRatio);
        Dlg->etWidth->setFocus();
        QString Shown;
        QTimer::singleShot(0, Dlg.get(), [&] {
            if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Shown = Box->text();
                Box->accept();
            }
        });
        EXPECT_NO_THROW(Dlg->etWidth->setText(QString::fromLatin1(C.Text))) << C.Text;
        EXPECT_EQ(Shown, QString::fromLatin1(C.Reason)) << C.Text;
        EXPECT_EQ(Dlg->etHeight->text(), QStringLiteral("225")) << C.Text;
    }
}

// Every way out but OK leaves Accepted false; each one ends the modal loop.
TEST(ConfigFormOutcome, OnlyOkAccepts) {
    struct TCase {
        const char* Name;
        std::function<void(TconfigDlg*)> Leave;
        bool Accepted;
    };
    const TCase Cases[] = {
        {"Esc in the width entry",
         [](TconfigDlg* D) {
             D->etWidth->setFocus();
             QTest::keyClick(D->etWidth, Qt::Key_Escape);
         },
         false},
        {"Esc on the check box", [](TconfigDlg* D) { QTest::keyClick(D->ckbConstrain, Qt::Key_Escape); },
         false},
        {"Cancel", [](TconfigDlg* D) { QTest::mouseClick(D->btnCancel, Qt::LeftButton); }, false},
        {"close box", [](TconfigDlg* D) { D->close(); }, false},
        {"OK", [](TconfigDlg* D) { QTest::mouseClick(D->btnOk, Qt::LeftButton); }, true},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TconfigDlg Dlg;
        Dlg.ThumbWidth = 400;
        Dlg.ThumbHeight = 225;
        const bool Ended = RunModal(&Dlg, [&] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&Dlg));
            Dlg.etWidth->setFocus();
            Dlg.etWidth->selectAll();
            QTest::keyClicks(Dlg.etWidth, QStringLiteral("3"));
            Case.Leave(&Dlg);
        });
        EXPECT_TRUE(Ended);
        EXPECT_FALSE(Dlg.isVisible());
        EXPECT_EQ(Dlg.Accepted, Case.Accepted);
    }
}

// The size and the contact-sheet dialogs alike: the focus starts in the first entry, ready
// to be typed over; Enter there is OK; a side left empty or 0 is refused with a message and
// the dialog stays.
TEST(DialogEntries, EnterIsOkAndAnEmptyOrZeroEntryIsRefused) {
    struct TCase {
        const char* Name;
        const char* Typed; // into the first entry, over what it held
        bool Accepted;
    };
    const TCase Cases[] = {{"a number", "3", true}, {"emptied", "", false}, {"zero", "0", false}};
    for (const bool Sheet : {false, true}) {
        for (const TCase& Case : Cases) {
            SCOPED_TRACE(std::string(Sheet ? "sheet: " : "size: ") + Case.Name);
            std::unique_ptr<QDialog> Dialog;
            TMyFlatEdit* First = nullptr;
            const bool* Accepted = nullptr;
            if (Sheet) {
                auto* D = new TsheetDlg;
                D->Settings = {4, 4, 1600};
                First = D->etColumns;
                Accepted = &D->Accepted;
                Dialog.reset(D);
            } else {
                auto* D = new TconfigDlg;
                D->ThumbWidth = 400;
                D->ThumbHeight = 225;
                D->ckbConstrain->setChecked(false);
                First = D->etWidth;
                Accepted = &D->Accepted;
                Dialog.reset(D);
            }
            bool FocusFirst = false, Refused = false, OpenAfterEnter = false;
            const bool Ended = RunModal(Dialog.get(), [&] {
                EXPECT_TRUE(QTest::qWaitForWindowActive(Dialog.get()));
                FocusFirst = First->hasFocus() && First->selectedText() == First->text();
                if (Case.Accepted)
                    SavePicture(Dialog.get(), QString::fromLatin1(Sheet ? "sheet-start" : "config-start"));
                QTest::keyClick(First, Qt::Key_Backspace);
                QTest::keyClicks(First, QString::fromLatin1(Case.Typed));
                QTimer::singleShot(0, [&] {
                    if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                        Refused = true;
                        Box->accept();
                    }
                });
                QTest::keyClick(First, Qt::Key_Return);
                OpenAfterEnter = Dialog->isVisible();
                Dialog->close();
            });
            EXPECT_TRUE(Ended);
            EXPECT_TRUE(FocusFirst);
            EXPECT_EQ(*Accepted, Case.Accepted);
            EXPECT_EQ(Refused, !Case.Accepted);
            EXPECT_EQ(OpenAfterEnter, !Case.Accepted);
        }
    }
}

TEST(ConfigFormPicture, GreyPanelWhiteFormFlatEntries) {
    TconfigDlg Dlg;
    Dlg.ThumbWidth = 1280;
    Dlg.ThumbHeight = 720;
    Dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg));
    const QImage Picture = SavePicture(&Dlg, QStringLiteral("config"));
    EXPECT_EQ(Picture.pixelColor(3, 3), QColor(Qt::white));
    EXPECT_EQ(Picture.pixelColor(16 + 200, 80 + 60), QColor(128, 128, 128));
    EXPECT_EQ(Picture.pixelColor(Dlg.etHeight->x() + 1, Dlg.etHeight->y() + 1), QColor(235, 234, 225));
    EXPECT_EQ(Picture.pixelColor(Dlg.etHeight->x(), Dlg.etHeight->y() + 12), QColor(172, 168, 153));
}
