// The window in German and French: the translator of a language is found for the user's
// locale, the main window, its menus, the controller's messages and every dialog show that
// language (Qt's own buttons too), and on the fixed layout every text fits the control that
// shows it. With TROVELLE_FORMS_PNG_DIR naming a folder, pictures of each window in each
// language are kept there for a person to look at.
#include "engine/qtdispatcher.h"
#include "gui/application.h"
#include "gui/dialogs/aboutForm.h"
#include "gui/dialogs/completeForm.h"
#include "gui/dialogs/configForm.h"
#include "gui/dialogs/sheetForm.h"
#include "gui/dialogs/translatedWording.h"
#include "gui/languages.h"
#include "gui/mainForm.h"
#include "gui/uiManager.h"
#include "gui/widgets/flatedit.h"
#include "gui/widgets/imagebutton.h"
#include "gui/widgets/linkLabel.h"
#include "jobs/sheetlayout.h"
#include "jobs/shortfall.h"
#include "testwindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

// Readable QStrings in failure messages.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& Text, std::ostream* Out) {
    *Out << '"' << Text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// The translations of one locale, installed as the program installs them, for one test.
struct TLanguage {
    explicit TLanguage(const char* Locale)
        : Taken(InstallTranslations(*qApp, QLocale(QString::fromLatin1(Locale)))) {}
    ~TLanguage() {
        for (QTranslator* Each : qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(Each);
            delete Each;
        }
    }
    QString Taken;
};

void KeepPicture(QWidget* Widget, const QString& Name) {
    const QString Dir = qEnvironmentVariable("TROVELLE_FORMS_PNG_DIR");
    if (!Dir.isEmpty())
        Widget->grab().save(QDir(Dir).filePath(Name + QStringLiteral(".png")));
}

QString Plain(QString Caption) {
    return Caption.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

// Why a control's text does not fit it, or nothing. A label or button shows its whole text
// on one line within its width (a wrapping label within its height), and lies within its
// parent, as an entry does.
std::vector<std::string> Cut(QWidget* Top) {
    std::vector<std::string> Faults;
    for (QWidget* W : Top->findChildren<QWidget*>()) {
        if (!W->isVisibleTo(Top) || W->isWindow())
            continue;
        const std::string Name = (W->objectName().isEmpty() ? std::string(W->metaObject()->className())
                                                            : W->objectName().toStdString());
        QString Text;
        int Needed = 0, NeededHeight = 0;
        if (auto* Label = qobject_cast<QLabel*>(W);
            Label && Label->pixmap().isNull() && !Label->text().isEmpty()) {
            Text = Label->text();
            if (Label->wordWrap())
                NeededHeight = Label->heightForWidth(Label->width());
            else
                Needed = Label->fontMetrics().horizontalAdvance(Text) + 2 * Label->margin();
        } else if (auto* Button = qobject_cast<QAbstractButton*>(W); Button && !Button->text().isEmpty()) {
            Text = Button->text();
            Needed = Button->sizeHint().width();
            // A push button's own least width is no part of its text.
            if (qobject_cast<QPushButton*>(W))
                Needed = Button->fontMetrics().horizontalAdvance(Plain(Text)) + 12;
        }
        if (Needed > W->width() || NeededHeight > W->height())
            Faults.push_back(Name + " cut: \"" + Text.toStdString() + "\" needs " + std::to_string(Needed) +
                             " x " + std::to_string(NeededHeight) + ", has " + std::to_string(W->width()) +
                             " x " + std::to_string(W->height()));
        const bool Shown = !Text.isEmpty() || qobject_cast<QLineEdit*>(W);
        if (QWidget* Parent = W->parentWidget(); Shown && Parent && !Parent->rect().contains(W->geometry()))
            Faults.push_back(Name + " reaches out of its parent");
    }
    return Faults;
}

// Two items of one menu, or two controls of one window, must not share a keyboard letter.
std::vector<std::string> SharedLetters(const std::vector<QString>& Captions) {
    std::vector<std::string> Faults;
    std::map<QChar, QString> Seen;
    for (const QString& Caption : Captions) {
        const qsizetype At = Caption.indexOf(QRegularExpression(QStringLiteral("&(?!&)")));
        if (At < 0 || At + 1 >= Caption.size())
            continue;
        const QChar Letter = Caption[At + 1].toLower();
        if (auto [It, New] = Seen.emplace(Letter, Caption); !New)
            Faults.push_back(Caption.toStdString() + " and " + It->second.toStdString() + " share &" +
                             QString(Letter).toStdString());
    }
    return Faults;
}

std::vector<QString> Captions(const QList<QAction*>& Actions) {
    std::vector<QString> Result;
    for (const QAction* Each : Actions)
        if (!Each->isSeparator())
            Result.push_back(Each->text());
    return Result;
}

// Answers the next modal window once it shows: keeps its text and title (and, under
// Picture, its picture) and closes it.
struct TModal {
    explicit TModal(const QString& Picture = QString()) : Picture(Picture) { Arm(); }
    void Arm() {
        QTimer::singleShot(20, [this] {
            QWidget* Modal = QApplication::activeModalWidget();
            if (!Modal || !Modal->isVisible())
                return Arm();
            if (!Picture.isEmpty())
                KeepPicture(Modal, Picture);
            Title = Modal->windowTitle();
            if (auto* Box = qobject_cast<QMessageBox*>(Modal)) {
                Text = Box->text();
                for (QAbstractButton* Button : Box->buttons())
                    Buttons << Button->text();
            }
            Modal->close();
            Seen = true;
        });
    }
    QString Picture;
    bool Seen = false;
    QString Title, Text;
    QStringList Buttons;
};

// What each language shows; English is the program's own.
struct TTexts {
    const char* Locale;
    const char* Open;       // the Open button
    const char* Generate;   // GENERATE
    const char* Whole;      // the first mode
    const char* Pieces;     // the word after the pieces entry
    const char* PlayHint;   // the play button's tip
    const char* ActionMenu; // the menu bar's first menu
    const char* SheetItem;  // Action > Make a Contact Sheet…
    const char* NoVideo;    // GENERATE without a video
    const char* Ok;         // Qt's own OK and Yes
    const char* Yes;
    const char* InfoLine; // 29.97 frames a second, 1920 x 1080, 1:02:03, at 3:04:05
    const char* Width;    // the size dialog
    const char* Constrain;
    const char* Cancel;
    const char* Columns; // the contact sheet dialog
    const char* SheetTitle;
    const char* Saved;        // the completion dialog
    const char* ShortReason;  // 12 pieces asked of a 2-second video
    const char* SheetTooWide; // a sheet 20000 pixels wide
    const char* AboutTitle;
    const char* ChooseFolder; // the folder chooser's title
    const char* CannotOpen;   // a video that is not there, before the reason
    const char* SizeTitle;    // the size dialog's title
    const char* Empty;        // why an empty file was refused
};

const TTexts kGerman{
    "de_DE",
    "&Video öffnen",
    "ERZEUGEN",
    "ganzes Video umwandeln",
    "Teile",
    "Abspielen",
    "&Aktion",
    "&Kontaktabzug erstellen…",
    "Es ist kein Video geöffnet, bitte laden Sie ein Video!",
    "OK",
    "&Ja",
    "Bildrate: 29,97 Größe: 1920x1080 Dauer: 01:02:03 Zeitpunkt: 03:04:05",
    "Breite",
    "KOPPELN",
    "&Abbrechen",
    "Spalten",
    "Kontaktabzug – Trovelle",
    "Die Vorschaubilder wurden erfolgreich gespeichert in",
    "12 Teile gewünscht, 2 geschrieben: Das Video ist 2 s lang, und Teile liegen ganze Sekunden "
    "auseinander",
    "Die Breite eines Kontaktabzugs muss zwischen 160 und 10000 Pixel liegen (sie ist 20000)",
    "Über Trovelle",
    "Ordner wählen",
    "Videodatei kann nicht geöffnet werden: /nonexistent/clip.mp4 (",
    "Vorschaubildgröße – Trovelle",
    "die Datei ist leer"};

const TTexts kFrench{
    "fr_FR",
    "&Ouvrir une vidéo",
    "GÉNÉRER",
    "convertir toute la vidéo",
    "vues",
    "lecture",
    "&Action",
    "Créer une &planche contact…",
    "Aucune vidéo n'est ouverte, veuillez charger une vidéo\u00a0!",
    "OK",
    "&Oui",
    "Images/s\u00a0: 29,97 Taille\u00a0: 1920x1080 Durée\u00a0: 01:02:03 Position\u00a0: 03:04:05",
    "Largeur",
    "LIER",
    "&Annuler",
    "Colonnes",
    "Planche contact – Trovelle",
    "Les vignettes ont été enregistrées avec succès dans",
    "12 vues demandées, 2 écrites\u00a0: la vidéo dure 2 s et les vues sont espacées de secondes "
    "entières",
    "La largeur d'une planche doit être comprise entre 160 et 10000 pixels (elle est de 20000)",
    "À propos de Trovelle",
    "Choisir un dossier",
    "Impossible d'ouvrir le fichier vidéo\u00a0: /nonexistent/clip.mp4 (",
    "Taille des vignettes – Trovelle",
    "le fichier est vide"};

const TTexts kEnglish{"en_US",
                      "&Open a Video",
                      "GENERATE",
                      "convert whole video",
                      "pieces",
                      "play",
                      "&Action",
                      "Make a Contact &Sheet…",
                      "No video is opened, please load a video!",
                      "OK",
                      "&Yes",
                      "FPS: 29.97 Size: 1920x1080 Duration: 01:02:03 Timestamp: 03:04:05",
                      "Width",
                      "CONSTRAIN",
                      "&Cancel",
                      "Columns",
                      "Contact Sheet – Trovelle",
                      "The thumbnails are saved successfully in",
                      "12 pieces asked, 2 written: the video is 2 s long and pieces are whole seconds apart",
                      "The width of a sheet must be from 160 to 10000 pixels (it is 20000)",
                      "About Trovelle",
                      "Select Folder",
                      "Unable to open video file: /nonexistent/clip.mp4 (",
                      "Thumbnail Size – Trovelle",
                      "the file is empty"};

// A language's cases are named by its locale.
void PrintTo(const TTexts* Texts, std::ostream* Out) {
    *Out << Texts->Locale;
}

// The shortfall of 12 pieces asked of a 2-second video that gave 2.
TWording ShortPieces() {
    TConvertRec Rec;
    Rec.Mode = TThumbMode::Pieces;
    Rec.Pieces = 12;
    return ShortfallWording(Rec, false, 2, 25, 2);
}

class Languages : public ::testing::TestWithParam<const TTexts*> {};

} // namespace

TEST(TranslationFiles, OneForEachLanguageBesideTheProgram) {
    const QDir Folder(TranslationsFolder());
    EXPECT_EQ(QFileInfo(Folder.path()).canonicalFilePath(),
              QFileInfo(QStringLiteral(TEST_BINDIR "/../share/trovelle/translations")).canonicalFilePath());
    for (const char* Name : {"trovelle_de.qm", "trovelle_fr.qm"})
        EXPECT_TRUE(Folder.exists(QString::fromLatin1(Name))) << Name;
}

// The first of the user's languages that is English or has a translation; a region takes
// its language's translation.
TEST(TranslationFiles, TheLocaleChoosesTheLanguage) {
    const std::pair<const char*, const char*> Cases[] = {
        {"de_DE", "de"}, {"de_AT", "de"}, {"de_CH", "de"}, {"fr_FR", "fr"}, {"fr_CA", "fr"},
        {"en_US", ""},   {"en_GB", ""},   {"es_ES", ""},   {"C", ""},
    };
    for (const auto& [Locale, Language] : Cases) {
        const TLanguage Taken(Locale);
        EXPECT_EQ(Taken.Taken, QString::fromLatin1(Language)) << Locale;
        // A translation comes with Qt's own of the same language; English installs none.
        EXPECT_EQ(qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly).size(), *Language ? 2 : 0)
            << Locale;
    }
}

TEST_P(Languages, TheMainWindowAndItsMessages) {
    const TTexts& L = *GetParam();
    const TLanguage Language(L.Locale);
    TWindow Window;
    TmainDlg* F = Window.Form.get();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(F));

    EXPECT_EQ(F->btnOpen->text(), QString::fromUtf8(L.Open));
    EXPECT_EQ(F->btnGenerate->text(), QString::fromUtf8(L.Generate));
    EXPECT_EQ(F->rbWhole->text(), QString::fromUtf8(L.Whole));
    EXPECT_EQ(F->Label1->text(), QString::fromUtf8(L.Pieces));
    EXPECT_EQ(F->btnPlay->toolTip(), QString::fromUtf8(L.PlayHint));
    EXPECT_EQ(F->TBXSubmenuItem1->title(), QString::fromUtf8(L.ActionMenu));
    EXPECT_EQ(F->tmiSheet->text(), QString::fromUtf8(L.SheetItem));
    // The rate in the digits of the user's locale where the language asks for them (%L1).
    const int64_t At = 3 * 3600 + 4 * 60 + 5;
    EXPECT_EQ(
        InfoLine(29.97, 1920, 1080, 1, 2, 3, &At),
        QString::fromUtf8(L.InfoLine).replace(QStringLiteral("29,97"), QLocale().toString(29.97, 'f', 2)));

    const QString Lang = QString::fromLatin1(L.Locale).left(2);
    TModal NoVideo(Lang + QStringLiteral("-message"));
    F->btnGenerate->click();
    ASSERT_TRUE(NoVideo.Seen);
    EXPECT_EQ(NoVideo.Text, QString::fromUtf8(L.NoVideo));
    EXPECT_EQ(NoVideo.Title, "Trovelle");
    EXPECT_EQ(NoVideo.Buttons, QStringList{QString::fromUtf8(L.Ok)});
    // Qt's own buttons speak the language too.
    QMessageBox Question(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(Question.button(QMessageBox::Yes)->text(), QString::fromUtf8(L.Yes));

    // A video that cannot be opened is reported in the window's language.
    TModal Refused;
    Window.UI->OpenVideo(QStringLiteral("/nonexistent/clip.mp4"));
    ASSERT_TRUE(Refused.Seen);
    EXPECT_TRUE(Refused.Text.startsWith(QString::fromUtf8(L.CannotOpen))) << Refused.Text.toStdString();
    // With the reason, where it is the program's own.
    QTemporaryDir Folder;
    QFile Empty(Folder.filePath(QStringLiteral("empty.mp4")));
    ASSERT_TRUE(Empty.open(QIODevice::WriteOnly));
    Empty.close();
    TModal EmptyRefused;
    Window.UI->OpenVideo(Empty.fileName());
    ASSERT_TRUE(EmptyRefused.Seen);
    EXPECT_TRUE(
        EmptyRefused.Text.endsWith(QStringLiteral(" (") + QString::fromUtf8(L.Empty) + QLatin1Char(')')))
        << EmptyRefused.Text.toStdString();

    // The folder chooser, Qt's own where the desktop has none, under the window's title.
    TModal Chooser(Lang + QStringLiteral("-folder"));
    F->btnSaveFolder->click();
    ASSERT_TRUE(Chooser.Seen);
    EXPECT_EQ(Chooser.Title, QString::fromUtf8(L.ChooseFolder));
}

// Every text of the main window fits its control, also the longest progress and info lines,
// and in a translation no two items of a menu (or two controls of the window) share a
// keyboard letter (the English menu has &Play and &Pause).
TEST_P(Languages, EveryTextOfTheMainWindowFits) {
    const TTexts& L = *GetParam();
    const TLanguage Language(L.Locale);
    TWindow Window;
    TmainDlg* F = Window.Form.get();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(F));
    const QString Lang = QString::fromLatin1(L.Locale).left(2);

    const int64_t At = 23 * 3600 + 59 * 60 + 59;
    F->lbInfo->setText(InfoLine(119.88, 3840, 2160, 23, 59, 59, &At));
    EXPECT_EQ(Cut(F), std::vector<std::string>{});
    KeepPicture(F, Lang + QStringLiteral("-main"));
    for (const char* Progress : {"Processing: %1/%2", "Stopped: %1/%2", "Done: %1/%2", "Failed: %1/%2"}) {
        F->lbConvertInfo->setText(QCoreApplication::translate("TUIManager", Progress).arg(99999).arg(99999));
        EXPECT_EQ(Cut(F), std::vector<std::string>{}) << Progress;
    }
    KeepPicture(F, Lang + QStringLiteral("-main-failed"));

    std::vector<QString> WindowLetters = Captions(F->TBXToolbar1->actions());
    for (const QString& Caption : Captions(F->TBXToolbar2->actions()))
        WindowLetters.push_back(Caption);
    for (QAbstractButton* Button : F->findChildren<QAbstractButton*>())
        WindowLetters.push_back(Button->text());
    const bool Translated = !Language.Taken.isEmpty();
    if (Translated) {
        EXPECT_EQ(SharedLetters(WindowLetters), std::vector<std::string>{});
    }
    for (QMenu* Menu : F->findChildren<QMenu*>()) {
        // Only the form's own menus: a menu bar keeps one of its own for what does not fit.
        if (Menu->objectName().isEmpty())
            continue;
        if (Translated) {
            EXPECT_EQ(SharedLetters(Captions(Menu->actions())), std::vector<std::string>{})
                << Menu->title().toStdString();
        }
        Menu->resize(Menu->sizeHint());
        KeepPicture(Menu, Lang + QStringLiteral("-menu-") + Menu->objectName());
    }
}

TEST_P(Languages, EveryDialog) {
    const TTexts& L = *GetParam();
    const TLanguage Language(L.Locale);
    const QString Lang = QString::fromLatin1(L.Locale).left(2);

    TconfigDlg Config;
    Config.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Config));
    EXPECT_EQ(Config.lbWidth->text(), QString::fromUtf8(L.Width));
    EXPECT_EQ(Config.ckbConstrain->text(), QString::fromUtf8(L.Constrain));
    EXPECT_EQ(Config.btnCancel->text(), QString::fromUtf8(L.Cancel));
    EXPECT_EQ(Config.windowTitle(), QString::fromUtf8(L.SizeTitle));
    EXPECT_EQ(Cut(&Config), std::vector<std::string>{});
    EXPECT_EQ(SharedLetters({Config.btnCancel->text(), Config.btnOk->text(), Config.ckbConstrain->text()}),
              std::vector<std::string>{});
    KeepPicture(&Config, Lang + QStringLiteral("-config"));
    Config.close();

    TsheetDlg Sheet;
    Sheet.Settings = {4, 4, 1600};
    Sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Sheet));
    EXPECT_EQ(Sheet.lbColumns->text(), QString::fromUtf8(L.Columns));
    EXPECT_EQ(Sheet.windowTitle(), QString::fromUtf8(L.SheetTitle));
    EXPECT_EQ(Cut(&Sheet), std::vector<std::string>{});
    // The labels end before the entries begin.
    for (QLabel* Label : {Sheet.lbColumns, Sheet.lbRows, Sheet.lbWidth})
        EXPECT_LT(Label->geometry().right(), Sheet.etColumns->x()) << Label->text().toStdString();
    KeepPicture(&Sheet, Lang + QStringLiteral("-sheet"));
    Sheet.etWidth->setText(QStringLiteral("20000"));
    TModal TooWide;
    Sheet.btnOk->click();
    ASSERT_TRUE(TooWide.Seen);
    EXPECT_EQ(TooWide.Text, QString::fromUtf8(L.SheetTooWide));
    EXPECT_FALSE(Sheet.Accepted);
    Sheet.close();

    // The completion dialog as the controller shows it: given to the main window, under the
    // window's style sheet; Esc closes it.
    TWindow Window;
    TcompleteDlg Done(Window.Form.get());
    Done.lbPath->setText(QStringLiteral("/home/user/Pictures/clip_2024_summer"));
    Done.setParent(Window.Form.get(), Done.windowFlags());
    Done.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Done));
    EXPECT_EQ(Done.Label1->text(), QString::fromUtf8(L.Saved));
    EXPECT_EQ(Cut(&Done), std::vector<std::string>{});
    EXPECT_EQ(Done.Label1->font().family(), Done.font().family()) << "the dialog's own look";
    KeepPicture(&Done, Lang + QStringLiteral("-complete"));
    QTest::keyClick(&Done, Qt::Key_Escape);
    EXPECT_FALSE(Done.isVisible());

    TcompleteDlg Short;
    Short.lbPath->setText(QStringLiteral("/home/user/Pictures/clip"));
    EXPECT_EQ(TranslatedWording(ShortPieces()), QString::fromUtf8(L.ShortReason));
    Short.ShowShortfall(TranslatedWording(ShortPieces()) + QLatin1Char('.'));
    Short.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Short));
    EXPECT_EQ(Cut(&Short), std::vector<std::string>{});
    KeepPicture(&Short, Lang + QStringLiteral("-complete-short"));
    Short.close();

    TcompleteDlg SheetDone;
    SheetDone.lbPath->setText(QStringLiteral("/home/user/Pictures/clip_sheet.jpg"));
    SheetDone.ShowSheet();
    SheetDone.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&SheetDone));
    EXPECT_EQ(Cut(&SheetDone), std::vector<std::string>{});
    KeepPicture(&SheetDone, Lang + QStringLiteral("-complete-sheet"));
    SheetDone.close();

    TaboutDlg About;
    About.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&About));
    EXPECT_EQ(About.windowTitle(), QString::fromUtf8(L.AboutTitle));
    EXPECT_EQ(Cut(&About), std::vector<std::string>{});
    EXPECT_FALSE(About.Label2->text().contains(QStringLiteral("MP4"))) << "every video it opens";
    KeepPicture(&About, Lang + QStringLiteral("-about"));
    QTest::keyClick(&About, Qt::Key_Escape);
    EXPECT_FALSE(About.isVisible());
}

// Each reason a job gives for a short run, and each sheet size refused, reads the same in the
// window's English as on the command line, and is translated in every language.
TEST_P(Languages, TheJobsWordings) {
    const TTexts& L = *GetParam();
    const TLanguage Language(L.Locale);
    TConvertRec Range;
    Range.Mode = TThumbMode::Range;
    Range.StartPos = 5;
    Range.EndPos = 12;
    TConvertRec Pieces;
    Pieces.Mode = TThumbMode::Pieces;
    Pieces.Pieces = 12;
    const TWording Wordings[] = {
        ShortfallWording(Range, false, 5, 25, 0),
        ShortfallWording(Range, false, 20, 25, 0),
        ShortfallWording(Pieces, false, 20, 25, 0),
        ShortfallWording(Range, false, 10, 25, 100),
        ShortfallWording(Pieces, false, 2, 25, 2),
        ShortfallWording(Pieces, false, 20, 25, 5),
        SheetSizeWording(0, 4, 1600),
        SheetSizeWording(4, 21, 1600),
        SheetSizeWording(4, 4, 100),
    };
    std::set<QString> Seen;
    for (const TWording& Wording : Wordings) {
        ASSERT_FALSE(Wording.Empty());
        const QString Shown = TranslatedWording(Wording);
        EXPECT_TRUE(Seen.insert(Shown).second) << "each case its own wording: " << Shown.toStdString();
        if (Language.Taken.isEmpty())
            EXPECT_EQ(Shown.toStdString(), Wording.Text());
        else
            EXPECT_NE(Shown.toStdString(), Wording.Text()) << "untranslated: " << Wording.Text();
        EXPECT_FALSE(Shown.contains(QLatin1Char('%'))) << Shown.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Window, Languages, ::testing::Values(&kGerman, &kFrench, &kEnglish),
                         [](const ::testing::TestParamInfo<const TTexts*>& Info) {
                             return std::string(Info.param->Locale).substr(0, 2);
                         });
