#include "gui/dialogs/aboutForm.h"
#include "gui/dialogs/completeForm.h"
#include "gui/dialogs/configForm.h"
#include "gui/widgets/linkLabel.h"
#include "helpers.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A Latin-1 name, a space and a path longer than the label.
const QString kLongFolder = QStringLiteral("/home/user/Pictures/Vacances d'été 2024/") +
                            QString(60, QChar(u'x')) + QStringLiteral("/clip");

// Counts pixels of roughly Color inside Rect: enough to tell the link's colour is drawn.
int CountNear(const QImage& Picture, const QRect& Rect, const QColor& Color) {
    int Count = 0;
    for (int Y = Rect.top(); Y <= Rect.bottom(); ++Y)
        for (int X = Rect.left(); X <= Rect.right(); ++X) {
            const QColor P = Picture.pixelColor(X, Y);
            if (qAbs(P.red() - Color.red()) < 40 && qAbs(P.green() - Color.green()) < 40 &&
                qAbs(P.blue() - Color.blue()) < 40)
                ++Count;
        }
    return Count;
}

} // namespace

TEST(CompleteDialog, PathLinkOpensTheFolderAndStaysOpenUntilOkOrEsc) {
    TUrlCatcher Catcher;
    TcompleteDlg Dlg;
    EXPECT_EQ(Dlg.windowTitle(), QStringLiteral("Congratulations"));
    EXPECT_EQ(Dlg.size(), QSize(692, 166));
    EXPECT_EQ(Dlg.lbPath->geometry(), QRect(16, 48, 657, 18));
    EXPECT_EQ(Dlg.lbPath->cursor().shape(), Qt::PointingHandCursor);
    Dlg.lbPath->setText(kLongFolder);

    bool OpenAfterClicks = false, OpenAfterEsc = false;
    const bool Ended = RunModal(&Dlg, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Dlg));
        QTest::mouseClick(Dlg.lbPath, Qt::LeftButton, {}, QPoint(600, 9));
        QTest::mouseClick(Dlg.lbPath, Qt::LeftButton, {}, QPoint(10, 9));
        OpenAfterClicks = Dlg.isVisible();
        QTest::keyClick(Dlg.btnOK, Qt::Key_Escape);
        OpenAfterEsc = Dlg.isVisible();
    });
    EXPECT_TRUE(Ended);
    EXPECT_TRUE(OpenAfterClicks);
    EXPECT_FALSE(OpenAfterEsc) << "Esc closes it";
    ASSERT_EQ(Catcher.Urls.size(), 2) << "one file browser per click";
    EXPECT_EQ(Catcher.Urls[0], QUrl::fromLocalFile(kLongFolder)) << "the whole path, not the visible part";
    EXPECT_EQ(Catcher.Urls[0].toLocalFile(), kLongFolder);
}

TEST(CompleteDialog, RightButtonOrReleaseOutsideOpensNothing) {
    TUrlCatcher Catcher;
    TcompleteDlg Dlg;
    Dlg.lbPath->setText(QStringLiteral("/tmp/clip"));
    Dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg));
    QTest::mouseClick(Dlg.lbPath, Qt::RightButton, {}, QPoint(10, 9));
    QTest::mousePress(Dlg.lbPath, Qt::LeftButton, {}, QPoint(10, 9));
    QTest::mouseRelease(Dlg.lbPath, Qt::LeftButton, {}, QPoint(10, 40));
    EXPECT_TRUE(Catcher.Urls.isEmpty());
}

TEST(CompleteDialog, Picture) {
    TcompleteDlg Dlg;
    Dlg.lbPath->setText(kLongFolder);
    Dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg));
    const QImage Picture = SavePicture(&Dlg, QStringLiteral("complete"));
    EXPECT_EQ(Picture.pixelColor(3, 3), QColor(Qt::white));
    EXPECT_GT(CountNear(Picture, Dlg.lbPath->geometry(), QColor(0, 0, 128)), 50) << "navy path";
}

// A job that wrote fewer files than asked: no congratulations, and the reason stands whole
// between the path and the line under it, shown once even when asked twice.
TEST(CompleteDialog, AShortfallSaysWhyWithoutCongratulations) {
    TcompleteDlg Dlg;
    Dlg.lbPath->setText(kLongFolder);
    const QString Reason =
        QStringLiteral("12 pieces asked, 2 written: the video is 2 s long and pieces are whole "
                       "seconds apart; and a second sentence long enough to need a second line.");
    Dlg.ShowShortfall(Reason);
    Dlg.ShowShortfall(Reason);
    Dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg));
    SavePicture(&Dlg, QStringLiteral("complete-shortfall"));
    EXPECT_EQ(Dlg.windowTitle(), QStringLiteral("Trovelle"));
    EXPECT_FALSE(Dlg.Label1->text().contains(QStringLiteral("success")));
    EXPECT_TRUE(Dlg.lbReason->isVisible());
    EXPECT_EQ(Dlg.lbReason->text(), Reason);
    const QRect Room = Dlg.lbReason->geometry();
    EXPECT_GE(Room.top(), Dlg.lbPath->geometry().bottom());
    EXPECT_LE(Room.bottom(), Dlg.Label2->geometry().top());
    EXPECT_LE(Dlg.lbReason->heightForWidth(Room.width()), Room.height()) << "cut off";
    EXPECT_LE(Dlg.btnOK->geometry().bottom(), Dlg.height());
    EXPECT_EQ(Dlg.height(), 166 + 40);
}

// A sheet's dialog speaks of the sheet, and its link opens the sheet itself.
TEST(CompleteDialog, ASheetIsNamedAndOpened) {
    TUrlCatcher Catcher;
    TcompleteDlg Dlg;
    const QString File = QStringLiteral("/tmp/clip_sheet.jpg");
    Dlg.lbPath->setText(File);
    Dlg.ShowSheet();
    Dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg));
    SavePicture(&Dlg, QStringLiteral("complete-sheet"));
    EXPECT_EQ(Dlg.Label1->text(), QStringLiteral("The contact sheet is saved as"));
    EXPECT_TRUE(Dlg.Label2->text().contains(QStringLiteral("sheet")));
    QTest::mouseClick(Dlg.lbPath, Qt::LeftButton, {}, QPoint(10, 9));
    ASSERT_EQ(Catcher.Urls.size(), 1);
    EXPECT_EQ(Catcher.Urls[0], QUrl::fromLocalFile(File));
}

// Without anything to open a link (the headless platform has no launcher), a click says so.
TEST(Links, ALinkNothingCanOpenSaysSo) {
    TaboutDlg Dlg;
    Dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg));
    QString Said;
    QTimer::singleShot(0, [&] {
        if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            Said = Box->text();
            Box->accept();
        }
    });
    QTest::mouseClick(Dlg.lbWeb, Qt::LeftButton);
    EXPECT_TRUE(Said.contains(QStringLiteral(EXPECTED_WEB_ADDRESS))) << Said.toStdString();
    EXPECT_TRUE(Said.contains(QStringLiteral("could open"))) << Said.toStdString();
}

TEST(AboutDialog, CaptionTextsAndLinks) {
    TUrlCatcher Catcher;
    TaboutDlg Dlg;
    EXPECT_EQ(Dlg.windowTitle(), QStringLiteral("About Trovelle"));
    EXPECT_EQ(Dlg.size(), QSize(442, 270));
    EXPECT_EQ(Dlg.lbMail->text(), QStringLiteral(EXPECTED_MAIL_ADDRESS));
    EXPECT_EQ(Dlg.lbWeb->text(), QStringLiteral(EXPECTED_WEB_ADDRESS));
    EXPECT_EQ(Dlg.lbVersion->text(), QStringLiteral("Version 1.1.0"));
    EXPECT_TRUE(Dlg.lbLicense->text().contains(QStringLiteral("GPL-3.0-or-later")));
    for (const char* Name : {"Qt", "FFmpeg", "SDL", "FreeImage", "Open Sans"})
        EXPECT_TRUE(Dlg.lbCredits->text().contains(QLatin1String(Name))) << Name;
    for (const QLabel* Label : {Dlg.lbVersion, Dlg.lbLicense, Dlg.lbCredits})
        EXPECT_LE(Label->fontMetrics().horizontalAdvance(Label->text()), Label->width()) << "cut off";
    EXPECT_EQ(TaboutDlg::MailLink(),
              QStringLiteral("mailto:" EXPECTED_MAIL_ADDRESS "?subject=Trovelle%20Support"));

    bool OpenAfterEsc = false;
    const bool Ended = RunModal(&Dlg, [&] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&Dlg));
        QTest::mouseClick(Dlg.lbWeb, Qt::LeftButton);
        QTest::mouseClick(Dlg.lbMail, Qt::LeftButton);
        QTest::keyClick(Dlg.btnOK, Qt::Key_Escape);
        OpenAfterEsc = Dlg.isVisible();
    });
    EXPECT_TRUE(Ended);
    EXPECT_FALSE(OpenAfterEsc) << "Esc closes it";
    ASSERT_EQ(Catcher.Urls.size(), 2);
    EXPECT_EQ(Catcher.Urls[0], QUrl(QStringLiteral(EXPECTED_WEB_ADDRESS)));
    EXPECT_EQ(Catcher.Urls[1].toString(QUrl::FullyEncoded),
              QStringLiteral("mailto:" EXPECTED_MAIL_ADDRESS "?subject=Trovelle%20Support"));
}

TEST(AboutDialog, Picture) {
    TaboutDlg Dlg;
    Dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dlg));
    const QImage Picture = SavePicture(&Dlg, QStringLiteral("about"));
    EXPECT_EQ(Picture.pixelColor(3, 3), QColor(Qt::white));
    EXPECT_GT(CountNear(Picture, Dlg.lbWeb->geometry(), QColor(0, 0, 255)), 30) << "blue link";
    EXPECT_GT(CountNear(Picture, Dlg.lbMail->geometry(), QColor(0, 0, 255)), 30) << "blue link";
    EXPECT_EQ(Dlg.Label3->alignment() & Qt::AlignRight, Qt::AlignRight);
}

// The dialogs have no owner, yet open over the middle of the window that was active.
// Centred on the main window they are given, also while another window (another
// program's, say) is the active one; they are not owned by it.
TEST(DialogPlacement, CentredOnTheMainWindowWhateverIsActive) {
    QWidget Main;
    Main.setGeometry(100, 80, 900, 700);
    Main.show();
    QWidget Other;
    Other.setGeometry(0, 0, 200, 100);
    Other.show();
    Other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Other));
    TcompleteDlg Complete(&Main);
    TaboutDlg About(&Main);
    TconfigDlg Config(&Main);
    for (QDialog* Dlg : std::initializer_list<QDialog*>{&Complete, &About, &Config}) {
        SCOPED_TRACE(Dlg->windowTitle().toStdString());
        EXPECT_EQ(Dlg->parentWidget(), nullptr);
        Dlg->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Dlg));
        EXPECT_LE((Dlg->frameGeometry().center() - Main.frameGeometry().center()).manhattanLength(), 1);
        Dlg->hide();
        Other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Other));
    }
}
