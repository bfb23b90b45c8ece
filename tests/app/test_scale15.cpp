// The main window at a fractional scale factor (QT_SCALE_FACTOR=1.5, set before the
// application starts), where a control's edge may fall in the middle of a screen pixel:
// each entry still shows its whole border.
#include "gui/dialogs/completeForm.h"
#include "gui/languages.h"
#include "gui/mainForm.h"
#include "gui/widgets/flatedit.h"
#include "gui/widgets/humanskin.h"
#include "gui/widgets/linkLabel.h"
#include "testwindow.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTranslator>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TScale15Environment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_SCALE_FACTOR", "1.5");
        FApp = new QApplication(FArgc, FArgv);
    }
    void TearDown() override { delete FApp; }

private:
    int FArgc = 1;
    char FName[8] = "scale15";
    char* FArgv[2] = {FName, nullptr};
    QApplication* FApp = nullptr;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TScale15Environment);

} // namespace

// Each entry of the window, on the window's own picture: every screen pixel along each of its
// four sides, just inside the part of the screen the entry covers, is the border's colour.
TEST(ScaleFactor15, EntriesKeepTheirWholeBorder) {
    ASSERT_EQ(qApp->devicePixelRatio(), 1.5);
    for (const bool Skinned : {false, true}) {
        SCOPED_TRACE(Skinned ? "skinned" : "plain");
        TmainDlg Form;
        if (Skinned)
            SelectSkin(&Form, QString::fromLatin1(kHumanSkin));
        Form.etPieces->setEnabled(true);
        Form.show();
        QApplication::processEvents();
        const QImage Shot = Form.grab().toImage();
        ASSERT_EQ(Shot.devicePixelRatio(), 1.5);
        if (Skinned)
            Shot.save(QDir(QStringLiteral(TEST_BINDIR)).filePath(QStringLiteral("main-scale15.png")));
        for (TMyFlatEdit* Entry : {Form.etSaveFolder, Form.etPieces}) {
            SCOPED_TRACE(Entry->objectName().toStdString());
            const QRectF Covered(QPointF(Entry->geometry().topLeft()) * 1.5, QSizeF(Entry->size()) * 1.5);
            const int Left = static_cast<int>(std::ceil(Covered.left()));
            const int Top = static_cast<int>(std::ceil(Covered.top()));
            const int Right = static_cast<int>(std::floor(Covered.right())) - 1;
            const int Bottom = static_cast<int>(std::floor(Covered.bottom())) - 1;
            const QRgb Border = Entry->ColorBorder().rgb();
            int Missing = 0;
            for (int X = Left; X <= Right; ++X)
                Missing += (Shot.pixel(X, Top) != Border) + (Shot.pixel(X, Bottom) != Border);
            for (int Y = Top; Y <= Bottom; ++Y)
                Missing += (Shot.pixel(Left, Y) != Border) + (Shot.pixel(Right, Y) != Border);
            EXPECT_EQ(Missing, 0) << "of " << 2 * (Right - Left + 1) + 2 * (Bottom - Top + 1)
                                  << " border pixels";
        }
    }
}

// The completion dialog's first line, as the controller shows it (given to the main window
// under its style sheet), keeps the dialog's font and fits in each language at this scale.
TEST(ScaleFactor15, TheCompletionDialogsFirstLineFits) {
    for (const char* Locale : {"en_US", "de_DE", "fr_FR"}) {
        SCOPED_TRACE(Locale);
        InstallTranslations(*qApp, QLocale(QString::fromLatin1(Locale)));
        {
            TWindow Window;
            TmainDlg& Form = *Window.Form;
            TcompleteDlg Done(&Form);
            Done.lbPath->setText(QStringLiteral("/home/user/Pictures/clip"));
            Done.setParent(&Form, Done.windowFlags());
            Done.show();
            QApplication::processEvents();
            const QString Line = Done.Label1->text();
            EXPECT_LE(Done.Label1->fontMetrics().horizontalAdvance(Line), Done.Label1->width())
                << Line.toStdString();
            EXPECT_EQ(Done.Label1->font().toString(), Done.font().toString()) << "the dialog's own look";
            Done.grab().save(
                QDir(QStringLiteral(TEST_BINDIR))
                    .filePath(QStringLiteral("complete-scale15-%1.png").arg(QLatin1String(Locale))));
        }
        for (QTranslator* Each : qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(Each);
            delete Each;
        }
    }
}
