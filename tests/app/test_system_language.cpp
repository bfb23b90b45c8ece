// The window takes the user's language from the environment as the program's start does
// (InstallTranslations with the system locale: LANGUAGE, then LC_ALL, LC_MESSAGES, LANG).
// CTest runs this test once for each environment of tests/app/CMakeLists.txt, with
// TROVELLE_EXPECTED_LANGUAGE naming the language the window must then speak ("de", "fr",
// or empty for English).
#include "gui/dialogs/configForm.h"
#include "gui/languages.h"
#include "gui/mainForm.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <map>

namespace {

struct TShown {
    const char* Open;   // the main window's Open button
    const char* Width;  // the size dialog's first label
    const char* Cancel; // Qt's own Cancel button
};

const std::map<QString, TShown> kShown{
    {QString(), {"&Open a Video", "Width", "Cancel"}},
    {QStringLiteral("de"), {"&Video öffnen", "Breite", "Abbrechen"}},
    {QStringLiteral("fr"), {"&Ouvrir une vidéo", "Largeur", "Annuler"}},
};

} // namespace

TEST(SystemLanguage, TheWindowSpeaksTheUsersLanguage) {
    const QString Expected = qEnvironmentVariable("TROVELLE_EXPECTED_LANGUAGE");
    ASSERT_TRUE(kShown.count(Expected)) << Expected.toStdString();
    const TShown& Shown = kShown.at(Expected);
    EXPECT_EQ(InstallTranslations(*qApp).toStdString(), Expected.toStdString())
        << "LANGUAGE=" << qgetenv("LANGUAGE").toStdString() << " LC_ALL=" << qgetenv("LC_ALL").toStdString()
        << " LANG=" << qgetenv("LANG").toStdString();

    TmainDlg Form;
    EXPECT_EQ(Form.btnOpen->text().toStdString(), Shown.Open);
    TconfigDlg Config;
    EXPECT_EQ(Config.lbWidth->text().toStdString(), Shown.Width);
    QMessageBox Box(QMessageBox::Question, QString(), QString(), QMessageBox::Cancel);
    EXPECT_EQ(Box.button(QMessageBox::Cancel)->text().toStdString(), Shown.Cancel);
}
