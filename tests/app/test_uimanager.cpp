// The main window with its controller, driven as a user drives it, on the real engine
// and real test videos: open, marks, the slider, GENERATE with its checks, progress,
// completion and failure, and closing during a job.
#include "engine/exceptions.h"
#include "engine/qtdispatcher.h"
#include "engine/videotypes.h"
#include "fixtures.h"
#include "gui/application.h"
#include "gui/commandLine.h"
#include "gui/dialogs/completeForm.h"
#include "gui/dialogs/configForm.h"
#include "gui/dialogs/sheetForm.h"
#include "gui/mainForm.h"
#include "gui/uiManager.h"
#include "gui/widgets/flatedit.h"
#include "gui/widgets/imagebutton.h"
#include "gui/widgets/linkLabel.h"
#include "gui/widgets/sliderbar.h"
#include "gui/widgets/videopanel.h"
#include "gui/windowPlacement.h"
#include "platform/handover.h"
#include "platform/platform.h"
#include "scratch.h"
#include "testwindow.h"
#include "thumbnail_file.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFont>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Answers the next modal window (a message box or a dialog) once it shows: records its
// text and presses Button (or closes it).
struct TModalAnswer {
    explicit TModalAnswer(QMessageBox::StandardButton Button = QMessageBox::Ok) { Arm(Button); }
    // A test that ends before its box came stops the polling: it must not answer the next
    // test's box, nor reach this answer once it is gone.
    ~TModalAnswer() { *FAlive = false; }
    TModalAnswer(const TModalAnswer&) = delete;
    TModalAnswer& operator=(const TModalAnswer&) = delete;
    void Arm(QMessageBox::StandardButton Button) {
        QTimer::singleShot(20, [this, Button, Alive = FAlive] {
            if (*Alive)
                Poll(Button);
        });
    }
    void Poll(QMessageBox::StandardButton Button) {
        QWidget* Modal = QApplication::activeModalWidget();
        if (!Modal) {
            Arm(Button);
            return;
        }
        Title = Modal->windowTitle();
        if (auto* Box = qobject_cast<QMessageBox*>(Modal)) {
            Text = Box->text();
            Icon = Box->icon();
            Box->button(Button)->click();
        } else {
            if (auto* Completion = dynamic_cast<TcompleteDlg*>(Modal)) {
                Text = Completion->lbPath->text();
                Heading = Completion->Label1->text();
                Reason = Completion->lbReason->isVisible() ? Completion->lbReason->text() : QString();
            }
            Modal->close();
        }
        Seen = true;
    }
    bool Seen = false;
    QString Title, Text;
    // The completion dialog's first line and the reason it gives for a shortfall.
    QString Heading, Reason;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;

private:
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

// Clicks one of the window's image buttons (play, pause, stop, the marks) with the mouse.
void Press(TImageButton* Button) {
    QTest::mouseClick(Button, Qt::LeftButton, {}, QPoint(16, 16));
}

// Runs Act on the next modal window once it shows (polling the event loop).
void OnNextModal(std::function<void(QWidget*)> Act) {
    QTimer::singleShot(20, [Act] {
        if (QWidget* Modal = QApplication::activeModalWidget())
            Act(Modal);
        else
            OnNextModal(Act);
    });
}

class MainWindow : public testing::Test {
protected:
    void SetUp() override {
        UI->ChooseVideo = [this] { return QString::fromStdString(NextVideo); };
        UI->ChooseFolder = [this] { return QString::fromStdString(NextFolder); };
    }

    void Open(const std::string& Name) {
        NextVideo = Fixture(Name);
        Form->btnOpen->click();
    }
    // Waits, with the event loop running, until Done holds.
    // Opens the two-minute video and starts a job of Mode into Folder: a whole-video job
    // (3000 files) is still running when the next step comes.
    void StartJob(const std::string& Folder, QRadioButton* Mode) {
        Open("long_gop_25.mp4");
        NextFolder = Folder;
        Form->btnSaveFolder->click();
        Mode->click();
        Form->btnGenerate->click();
        ASSERT_TRUE(UI->PlayManager->Converting());
    }
    // A window test gives up in seconds.
    static bool WaitFor(const std::function<bool()>& Done) { return QTest::qWaitFor(Done, 15000); }

    TWindow Window;
    std::unique_ptr<TmainDlg>& Form = Window.Form;
    std::unique_ptr<TUIManager>& UI = Window.UI;
    std::string NextVideo, NextFolder;
};

} // namespace

// The open dialog's first filter takes exactly the videos -R takes, in any case, and the
// second one everything.
TEST(OpenDialog, TheFilterTakesTheListedVideos) {
    const QStringList Filters = OpenDialogFilter().split(QStringLiteral(";;"));
    ASSERT_EQ(Filters.size(), 2);
    EXPECT_EQ(Filters[1], "All Files (*)");
    const QRegularExpressionMatch Videos = QRegularExpression("^Video Files \\((.*)\\)$").match(Filters[0]);
    ASSERT_TRUE(Videos.hasMatch()) << Filters[0].toStdString();
    const QStringList Patterns = Videos.captured(1).split(QLatin1Char(' '));
    QStringList Names;
    for (const QString& Extension : VideoExtensions())
        Names << "clip." + Extension << "CLIP." + Extension.toUpper();
    Names << "notes.txt"
          << "00000.mpls"
          << "song.m4a"
          << "mp4";
    for (const QString& Name : Names)
        EXPECT_EQ(QDir::match(Patterns, Name), HasVideoExtension(Name.toStdString())) << Name.toStdString();
}

TEST(InfoLineText, BothFormats) {
    EXPECT_EQ(InfoLine(25, 320, 240, 0, 2, 0, nullptr),
              "FPS: 25.00 Size: 320x240 Duration: 00:02:00 Timestamp: 00:00:00");
    const int64_t At = 3 * 3600 + 4 * 60 + 5;
    EXPECT_EQ(InfoLine(29.97, 1920, 1080, 1, 2, 3, &At),
              "FPS: 29.97 Size: 1920x1080 Duration: 01:02:03 Timestamp: 03:04:05");
    const int64_t Long = 123LL * 3600 + 7;
    EXPECT_EQ(InfoLine(0, 1, 1, 123, 0, 7, &Long),
              "FPS: 0.00 Size: 1x1 Duration: 123:00:07 Timestamp: 123:00:07");
}

TEST(WindowPlacement, CentredAndSizedInsideTheWorkArea) {
    // A 798 x 546 window on a 1024 x 738 work area.
    const TWindowRect Work{0, 0, 1024, 738};
    EXPECT_EQ(CenteredRect(798, 546, Work), (TWindowRect{113, 96, 911, 642}));
    EXPECT_EQ(CenteredRect(1200, 900, Work).Left, 0);
    TWindowRect Sizing{-4, -4, 2000, 2000};
    WMSizing(Sizing, Work);
    EXPECT_EQ(Sizing, (TWindowRect{0, 0, 1024, 738}));

    // A second monitor right of a 1920-pixel one, with a 30-pixel panel at its top: its work
    // area starts at (1920, 30), and the window belongs inside it, not at the desktop's origin.
    const TWindowRect Second{1920, 30, 1920 + 1280, 1024};
    EXPECT_EQ(CenteredRect(798, 546, Second),
              (TWindowRect{1920 + 241, 30 + 224, 1920 + 241 + 798, 30 + 224 + 546}));
    EXPECT_EQ(CenteredRect(1400, 1100, Second).Left, 1920);
    EXPECT_EQ(CenteredRect(1400, 1100, Second).Top, 30);
}

// A 798 x 546 window with a 30-pixel title bar, moved on two monitors side by side: a
// 1280 x 1024 one with a 24-pixel panel at its top, and a 1920 x 1080 one right of it. It
// goes anywhere its title bar stays in reach, and only the shortest way back otherwise.
TEST(WindowPlacement, AMovedWindowGoesAnywhereItStaysWithinReach) {
    const std::vector<TWindowRect> Works{{0, 24, 1280, 1024}, {1280, 0, 3200, 1080}};
    struct TCase {
        const char* What;
        int Left, Top;     // where it is put
        int ToLeft, ToTop; // where it ends
    };
    const TCase Moves[] = {
        {"on the right monitor", 1600, 100, 1600, 100},
        {"back on the left monitor", 100, 100, 100, 100},
        {"across the border", 1000, 300, 1000, 300},
        {"mostly off the left edge", -700, 300, -700, 300},
        {"mostly off the right edge", 3100, 300, 3100, 300},
        {"whole off the left edge", -900, 300, 64 - 798, 300},
        {"whole off the right edge", 4000, 300, 3200 - 64, 300},
        {"under the left monitor's panel", 100, 10, 100, 24},
        {"above the right monitor", 2000, -40, 2000, 0},
        {"title bar below the left monitor only", 100, 1010, 100, 1024 - 30},
        {"low on the taller right monitor", 2000, 1040, 2000, 1040},
        {"below everything", 2000, 1500, 2000, 1080 - 30},
    };
    for (const TCase& C : Moves) {
        TWindowRect R{C.Left, C.Top, C.Left + 798, C.Top + 546};
        WMMoving(R, 30, Works);
        EXPECT_EQ(R, (TWindowRect{C.ToLeft, C.ToTop, C.ToLeft + 798, C.ToTop + 546})) << C.What;
    }
    // Without screens there is nothing to keep it in.
    TWindowRect Alone{5000, 5000, 5798, 5546};
    WMMoving(Alone, 30, {});
    EXPECT_EQ(Alone, (TWindowRect{5000, 5000, 5798, 5546}));
}

// Sets HOME for one test (the default save folder follows it) and puts the old value back.
struct THomeEnv {
    explicit THomeEnv(const std::string& Home) : FSaved(qgetenv("HOME")) { qputenv("HOME", Home.c_str()); }
    ~THomeEnv() { qputenv("HOME", FSaved); }
    QByteArray FSaved;
};

// The save-folder field shows in grey where the files go while no folder is chosen; a long
// chosen folder shows its start and its end, and the whole of it in the hint; its small cross
// and its context menu give it up for the global save folder, which is remembered.
TEST(SaveFolderField, ShowsTheEndsOfALongFolderAndGoesBackToTheDefault) {
    TScratch Home;
    THomeEnv Env(Home.Path); // no Pictures folder in it: the home folder is used
    const QString File = QString::fromStdString(Home.Path + "/trovelle.conf");
    TWindow Window(File);
    TmainDlg* F = Window.Form.get();
    TMyFlatEdit* Field = F->etSaveFolder;
    const QString Hint = Field->toolTip();
    const auto ShowsTheDefault = [&] {
        EXPECT_EQ(Field->text(), "");
        EXPECT_EQ(Field->placeholderText().toStdString(), Home.Path + "/");
        EXPECT_EQ(Field->toolTip(), Hint);
        EXPECT_FALSE(Field->isEnabled());
        EXPECT_FALSE(F->tmiDefaultFolder->isVisible());
        for (const QToolButton* Button : Field->findChildren<QToolButton*>())
            EXPECT_FALSE(Button->isVisible()) << "a cross beside the default";
        EXPECT_EQ(Window.UI->ConfigManager->SaveFolder, "");
    };
    ShowsTheDefault();

    const std::string Long = Home.Path + "/" + std::string(80, 'x') + "/the folder's own name";
    const QString Chosen = QString::fromStdString(Long + "/");
    for (const char* Back : {"the cross", "the context menu"}) {
        SCOPED_TRACE(Back);
        Window.UI->ChooseFolder = [&] { return QString::fromStdString(Long); };
        F->btnSaveFolder->click();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(F));
        EXPECT_EQ(Field->text(), Chosen) << "the job takes the whole folder";
        EXPECT_EQ(Field->toolTip(), Chosen);
        EXPECT_TRUE(Field->isEnabled());
        const QString Shown = Field->ShownText();
        // The folders between go, the first one and the folder's own name stay whole.
        EXPECT_TRUE(Shown.startsWith("/tmp/")) << Shown.toStdString();
        EXPECT_TRUE(Shown.endsWith(QStringLiteral("\u2026/the folder's own name/"))) << Shown.toStdString();
        EXPECT_LT(Field->fontMetrics().horizontalAdvance(Shown), Field->width());
        F->grab().save(QStringLiteral(TEST_BINDIR "/main-long-folder.png"));

        QToolButton* Cross = nullptr;
        for (QToolButton* Button : Field->findChildren<QToolButton*>())
            if (Button->isVisible())
                Cross = Button;
        ASSERT_NE(Cross, nullptr);
        EXPECT_EQ(Cross->defaultAction(), F->tmiDefaultFolder);
        if (std::string(Back) == "the cross") {
            QTest::mouseClick(Cross, Qt::LeftButton);
        } else {
            QContextMenuEvent Event(QContextMenuEvent::Keyboard, QPoint(10, 10),
                                    Field->mapToGlobal(QPoint(10, 10)));
            QApplication::sendEvent(Field, &Event);
            auto* Menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(Menu, nullptr);
            EXPECT_TRUE(Menu->actions().contains(F->tmiDefaultFolder));
            Menu->close();
            F->tmiDefaultFolder->trigger();
        }
        ShowsTheDefault();
        EXPECT_EQ(QSettings(File, QSettings::IniFormat).value("Folders/Save").toString(), "");
    }
    F->grab().save(QStringLiteral(TEST_BINDIR "/main-default-folder.png"));
}

// What the settings store reports, and a remembered save folder that has gone, are said once
// in a box over the window that waits for nobody: the window goes on working.
TEST(SettingsReports, SaidOnceInABoxThatWaitsForNobody) {
    TScratch Home;
    THomeEnv Env(Home.Path);
    const std::string Gone = Home.Path + "/unplugged drive/thumbnails";
    struct TCase {
        const char* What;
        std::function<std::string()> Store; // makes the settings store, answers its path
        std::string Said;
    };
    const TCase Cases[] = {
        {"a file too large",
         [&] {
             const std::string Path = Home.Path + "/large.conf";
             std::ofstream(Path) << std::string(TConfigManager::kMaxFileBytes + 1, ';');
             return Path;
         },
         "The settings file " + Home.Path +
             "/large.conf is larger than any settings file of Trovelle; it was set "
             "aside as " +
             Home.Path + "/large.conf.too-large. The default settings are used."},
        // Said once, and the clean file that takes its place is saved without a word.
        {"a file that cannot be read",
         [&] {
             const std::string Path = Home.Path + "/garbage.conf";
             std::ofstream(Path, std::ios::binary)
                 << std::string(60 * 1000, '\xa5') << "[Generate\nPieces=7\n";
             return Path;
         },
         "The settings file " + Home.Path + "/garbage.conf cannot be read; it was set aside as " + Home.Path +
             "/garbage.conf.unreadable, and a new one takes its place. The default settings are used."},
        {"a store that cannot be written", [&] { return Home.Path; },
         "The settings cannot be saved to " + Home.Path + "."},
        {"a save folder that has gone",
         [&] {
             const std::string Path = Home.Path + "/gone.conf";
             std::ofstream(Path) << "[Folders]\nSave=" << Gone << "\n";
             return Path;
         },
         "The save folder " + Gone + " is no longer there. The thumbnails go to " + Home.Path +
             "/ until another folder is selected."},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TWindow Window(QString::fromStdString(C.Store()));
        TmainDlg* F = Window.Form.get();
        const auto Boxes = [&] { return F->findChildren<QMessageBox*>(); };
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !Boxes().isEmpty() && Boxes().first()->isVisible(); }, 15000));
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the box waits for an answer";
        // Every click stores the settings again; the box says it once.
        for (QRadioButton* Mode : {F->rbPieces, F->rbStartEnd, F->rbWhole})
            Mode->click();
        QApplication::processEvents();
        ASSERT_EQ(Boxes().size(), 1);
        EXPECT_EQ(Boxes().first()->text().toStdString(), C.Said);
        EXPECT_EQ(Boxes().first()->windowTitle(), "Trovelle");
        EXPECT_TRUE(F->rbWhole->isChecked());
        EXPECT_EQ(F->etSaveFolder->text(), "");
        Boxes().first()->button(QMessageBox::Ok)->click();
        QApplication::processEvents();
        EXPECT_TRUE(Boxes().isEmpty() || !Boxes().first()->isVisible());
    }
    // A settings file that is read and stored says nothing.
    TWindow Quiet(QString::fromStdString(Home.Path + "/fine.conf"));
    Quiet.Form->rbPieces->click();
    QApplication::processEvents();
    EXPECT_TRUE(Quiet.Form->findChildren<QMessageBox*>().isEmpty());
}

// The menu offers what can be done now: playback and marks with a video and no job, Stop
// Generating during a job.
TEST_F(MainWindow, MenuCommandsFollowWhatCanBeDone) {
    TmainDlg* F = Form.get();
    const std::vector<QAction*> Playback{F->tmiPlay,    F->tmiPause,     F->tmiPlayPause, F->tmiBack,
                                         F->tmiForward, F->tmiStartMark, F->tmiEndMark};
    const auto Check = [&](const char* When, bool PlaybackOn, bool StopOn, bool StopJobOn) {
        for (const QAction* Command : Playback)
            EXPECT_EQ(Command->isEnabled(), PlaybackOn) << When << ": " << Command->text().toStdString();
        EXPECT_EQ(F->tmiStop->isEnabled(), StopOn) << When;
        EXPECT_EQ(F->tmiStopJob->isEnabled(), StopJobOn) << When;
    };
    Check("no video", false, false, false);
    TScratch Out;
    StartJob(Out.Path, Form->rbWhole);
    Check("during a job", false, true, true);
    Form->tmiStopJob->trigger();
    Check("after the job", true, true, false);
}

TEST_F(MainWindow, OpeningAVideoPreparesTheWindow) {
    EXPECT_FALSE(Form->SliderBar->isEnabled());
    EXPECT_FALSE(Form->tmiConfig->isEnabled());
    EXPECT_EQ(Form->windowTitle(), "Trovelle");
    EXPECT_EQ(Form->lbVersion->text(), "v1.1.0");

    Open("anamorphic.mp4");
    EXPECT_TRUE(Form->SliderBar->isEnabled());
    EXPECT_EQ(Form->SliderBar->Max(), 2);
    EXPECT_EQ(Form->SliderBar->Position(), 0);
    EXPECT_TRUE(UI->FVideoPanel->isVisible());
    EXPECT_TRUE(Form->tmiConfig->isEnabled());
    EXPECT_EQ(Form->lbInfo->text(), "FPS: 25.00 Size: 720x576 Duration: 00:00:02 Timestamp: 00:00:00");
    EXPECT_EQ(UI->FConvertRec.Name, "anamorphic");
    EXPECT_EQ(Form->windowTitle(), "anamorphic.mp4 — Trovelle");
    // The default thumbnail keeps the display shape: 720 / (16 / 9) = 405.
    EXPECT_EQ(UI->ConfigManager->Width, 720);
    EXPECT_EQ(UI->ConfigManager->Height, 405);

    // A refused file is reported in a message that says why, and leaves the window as it was.
    // The Open button and a hand-over share the refusal.
    struct TRefused {
        std::string Path;
        const char* Reason;
    };
    const TRefused Refused[] = {
        {Fixture("garbage.mp4"), nullptr}, // the library's own words
        {Fixture("empty.mp4"), "the file is empty"},
        {Fixture("folder.mp4"), "Is a directory"},
        {Fixture("missing.mp4"), "No such file or directory"},
    };
    for (const TRefused& R : Refused) {
        TModalAnswer Refusal;
        UI->OpenVideo(QString::fromStdString(R.Path));
        EXPECT_TRUE(Refusal.Seen) << R.Path;
        EXPECT_EQ(Refusal.Icon, QMessageBox::Critical);
        const std::string Text = Refusal.Text.toStdString();
        const std::string Designed = "Unable to open video file: " + R.Path + " (";
        EXPECT_EQ(Text.substr(0, Designed.size()), Designed);
        EXPECT_EQ(Text.back(), ')') << Text;
        if (R.Reason)
            EXPECT_EQ(Text, Designed + R.Reason + ")");
        else
            EXPECT_GT(Text.size(), Designed.size() + 1) << Text;
        EXPECT_EQ(UI->FConvertRec.Name, "anamorphic");
        EXPECT_EQ(Form->windowTitle(), "anamorphic.mp4 — Trovelle");
        EXPECT_EQ(Form->SliderBar->Max(), 2);
    }
    NextVideo = Fixture("empty.mp4");
    TModalAnswer FromTheButton;
    Form->btnOpen->click();
    EXPECT_TRUE(FromTheButton.Text.startsWith("Unable to open video file: "))
        << FromTheButton.Text.toStdString();
    EXPECT_EQ(Form->windowTitle(), "anamorphic.mp4 — Trovelle");

    // Cancelling the dialog while playing resumes playback.
    Open("long_gop_25.mp4");
    Press(Form->btnPlay);
    NextVideo.clear();
    Form->btnOpen->click();
    EXPECT_TRUE(UI->PlayManager->Playing());
    Press(Form->btnPause);
}

TEST_F(MainWindow, GenerateExplainsWhatIsMissing) {
    struct TCase {
        const char* What;
        std::function<void()> Prepare;
        const char* Message;
        QMessageBox::Icon Icon;
    };
    const TCase Cases[] = {
        {"no video", [] {}, "No video is opened, please load a video!", QMessageBox::Information},
        {"empty range",
         [this] {
             Open("long_gop_25.mp4");
             Form->rbStartEnd->click();
         },
         "You have to select start position and end position for the option.", QMessageBox::NoIcon},
        {"no pieces",
         [this] {
             Form->rbPieces->click();
             Form->etPieces->setText("0");
         },
         "You have to enter a number of pieces greater than 0.", QMessageBox::NoIcon},
    };
    for (const TCase& C : Cases) {
        C.Prepare();
        TModalAnswer Answer;
        Form->btnGenerate->click();
        EXPECT_TRUE(Answer.Seen) << C.What;
        EXPECT_EQ(Answer.Text, C.Message) << C.What;
        EXPECT_EQ(Answer.Title, "Trovelle") << C.What;
        EXPECT_EQ(Answer.Icon, C.Icon) << C.What;
        EXPECT_FALSE(UI->PlayManager->Converting()) << C.What;
    }
    // The pieces entry follows its radio button.
    EXPECT_TRUE(Form->etPieces->isEnabled());
    Form->rbWhole->click();
    EXPECT_FALSE(Form->etPieces->isEnabled());
}

// Each mode, with and without a save folder: the files, the progress line and the
// folder the completion dialog names.
TEST_F(MainWindow, GenerateRunsAJobToItsCompletionDialog) {
    TScratch Out, Home;
    const std::string SavedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", Home.Path.c_str(), 1); // no Pictures folder in it: the home folder is used

    struct TCase {
        const char* Video;
        QRadioButton* Mode;
        bool SaveFolder;
        const char* Done;
        size_t Files;
    };
    const TCase Cases[] = {
        {"long_gop_25.mp4", Form->rbPieces, true, "Done: 3/3", 3},
        {"long_gop_25.mp4", Form->rbStartEnd, true, "Done: 50/50", 50}, // seconds 10 and 11
        {"fps_12_5.mp4", Form->rbWhole, false, "Done: 125/125", 125},
    };
    for (const TCase& C : Cases) {
        Open(C.Video);
        NextFolder = C.SaveFolder ? Out.Path : std::string();
        Form->etSaveFolder->clear();
        Form->btnSaveFolder->click(); // an empty choice leaves the field as it is
        C.Mode->click();
        Form->etPieces->setText("3");
        UI->PlayManager->Seek(10);
        Press(Form->btnStartPoint);
        UI->PlayManager->Seek(11);
        Press(Form->btnEndPoint);

        TModalAnswer Completion;
        Form->btnGenerate->click();
        EXPECT_TRUE(UI->PlayManager->Converting());
        EXPECT_FALSE(Form->SliderBar->isEnabled());
        Form->btnGenerate->click(); // a second press does nothing
        ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Converting() && Completion.Seen; })) << C.Done;

        const std::string Name = fs::path(C.Video).stem().string();
        const std::string Folder = (C.SaveFolder ? Out.Path : Home.Path) + "/" + Name;
        EXPECT_TRUE(Completion.Seen);
        EXPECT_EQ(Completion.Text.toStdString(), Folder);
        EXPECT_EQ(Completion.Title, "Congratulations");
        EXPECT_EQ(Completion.Heading, "The thumbnails are saved successfully in");
        EXPECT_EQ(Completion.Reason, "");
        EXPECT_EQ(Form->lbConvertInfo->text(), C.Done);
        EXPECT_TRUE(Form->SliderBar->isEnabled());
        // Its files, and the hidden mark that claims the folder for this video.
        EXPECT_EQ((C.SaveFolder ? Out : Home).Files(Name), C.Files) << C.Done;
        EXPECT_TRUE(fs::exists(Folder + "/.trovelle-video"));
        EXPECT_TRUE(fs::exists(Folder + "/" + Name + "_0.jpg"));
        fs::remove_all(Folder);
    }
    setenv("HOME", SavedHome.c_str(), 1);
}

// A job that writes fewer files than asked ends without congratulations: the dialog gives
// the count and the reason, and the count is the files on disk.
TEST_F(MainWindow, AShortJobSaysHowManyAndWhy) {
    struct TCase {
        const char* Video;
        QRadioButton* Mode;
        const char* Pieces;
        int32_t Start, End; // marks
        const char* Done;
        const char* Reason;
        size_t Files;
    };
    const TCase Cases[] = {
        {"anamorphic.mp4", Form->rbPieces, "12", 0, 0, "Done: 2/12",
         "12 pieces asked, 2 written: the video is 2 s long and pieces are whole seconds apart.", 2},
        // The end mark at the end of the video: the range takes what there is.
        {"anamorphic.mp4", Form->rbStartEnd, "", 1, 2, "Done: 25/25", "", 25},
        {"long_gop_25.mp4", Form->rbPieces, "4", 0, 0, "Done: 4/4", "", 4},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Done);
        TScratch Out;
        Open(C.Video);
        NextFolder = Out.Path;
        Form->btnSaveFolder->click();
        C.Mode->click();
        Form->etPieces->setText(C.Pieces);
        Form->SliderBar->SetSelStart(C.Start);
        Form->SliderBar->SetSelEnd(C.End);
        TModalAnswer Completion;
        Form->btnGenerate->click();
        ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Converting() && Completion.Seen; }));
        ASSERT_TRUE(Completion.Seen);
        EXPECT_EQ(Form->lbConvertInfo->text(), C.Done);
        EXPECT_EQ(Completion.Reason, C.Reason);
        const bool Short = *C.Reason != '\0';
        EXPECT_EQ(Completion.Title, Short ? "Trovelle" : "Congratulations");
        EXPECT_EQ(Completion.Heading.contains("successfully"), !Short) << Completion.Heading.toStdString();
        EXPECT_EQ(Out.Files(fs::path(C.Video).stem().string()), C.Files);
    }
}

// Action → Make a Contact Sheet…: refused without a video; with one, the dialog's values
// make the sheet in the save folder with progress in the progress line, the completion
// dialog names the file, and the values come back in the next dialog. A window without a
// settings file keeps them for its run and writes no file anywhere.
TEST_F(MainWindow, ContactSheetFromTheActionMenu) {
    TScratch Out, Config;
    const std::string SavedConfig = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", Config.Path.c_str(), 1);

    TModalAnswer NoVideo;
    Form->tmiSheet->trigger();
    EXPECT_TRUE(NoVideo.Seen);
    EXPECT_FALSE(UI->PlayManager->Converting());

    Open("ntsc_2997.mp4");
    NextFolder = Out.Path;
    Form->btnSaveFolder->click();
    // Fills the sheet dialog when it shows, after noting what it showed.
    QString Shown;
    const auto Fill = [&](const char* Columns, const char* Rows, const char* Width) {
        QTimer::singleShot(20, [&, Columns, Rows, Width] {
            auto* Dialog = dynamic_cast<TsheetDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(Dialog, nullptr);
            Shown = Dialog->etColumns->text() + "x" + Dialog->etRows->text() + "@" + Dialog->etWidth->text();
            Dialog->etColumns->setText(Columns);
            Dialog->etRows->setText(Rows);
            Dialog->etWidth->setText(Width);
            Dialog->btnOk->click();
        });
    };
    Fill("3", "2", "640");
    Form->tmiSheet->trigger();
    EXPECT_EQ(Shown, "4x4@1600");
    EXPECT_TRUE(UI->PlayManager->Converting());
    EXPECT_FALSE(Form->SliderBar->isEnabled());
    TModalAnswer Completion;
    ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Converting() && Completion.Seen; }));
    const std::string File = Out.Path + "/ntsc_2997_sheet.jpg";
    EXPECT_EQ(Completion.Text.toStdString(), File);
    EXPECT_EQ(Completion.Heading, "The contact sheet is saved as");
    EXPECT_EQ(Form->lbConvertInfo->text(), "Done: 6/6");
    EXPECT_TRUE(Form->SliderBar->isEnabled());
    ASSERT_TRUE(fs::exists(File));

    // Remembered; a cancelled dialog starts nothing.
    QTimer::singleShot(20, [&] {
        auto* Dialog = dynamic_cast<TsheetDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(Dialog, nullptr);
        Shown = Dialog->etColumns->text() + "x" + Dialog->etRows->text() + "@" + Dialog->etWidth->text();
        Dialog->btnCancel->click();
    });
    Form->tmiSheet->trigger();
    EXPECT_EQ(Shown, "3x2@640");
    EXPECT_FALSE(UI->PlayManager->Converting());
    EXPECT_TRUE(fs::is_empty(Config.Path));
    if (SavedConfig.empty())
        unsetenv("XDG_CONFIG_HOME");
    else
        setenv("XDG_CONFIG_HOME", SavedConfig.c_str(), 1);
}

// Paused, "." and "," step frame by frame and the info line tells the time to the millisecond
// and the frame's number; Ctrl+S saves the frame on screen at the video's display size, as
// PNG, where the status line says. During playback it saves the frame shown at that moment
// and playback goes on.
TEST_F(MainWindow, StepAndSaveTheFrameOnScreen) {
    TScratch Out;
    Open("anamorphic.mp4"); // 720 x 576 shown at 16:9, 25 fps
    NextFolder = Out.Path;
    Form->btnSaveFolder->click();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    for (Qt::Key Key : {Qt::Key_Period, Qt::Key_Period, Qt::Key_Period, Qt::Key_Period, Qt::Key_Comma}) {
        QTest::keyClick(Form.get(), Key);
        QTest::qWait(50); // the step is made once the presses that came with it are in
    }
    EXPECT_TRUE(Form->lbInfo->text().endsWith(QString::fromUtf8("Timestamp: 0:00:00.120 \u00b7 frame 3")))
        << Form->lbInfo->text().toStdString();
    // For a person to look at: the window paused on a stepped frame.
    Form->grab().save(QStringLiteral(TEST_BINDIR "/main-paused-frame.png"));
    QTest::keyClick(Form.get(), Qt::Key_S, Qt::ControlModifier);
    const std::string File = Out.Path + "/anamorphic/anamorphic_at_0-00-00.120.png";
    EXPECT_TRUE(Form->lbConvertInfo->text().startsWith("Saved: /"))
        << Form->lbConvertInfo->text().toStdString();
    EXPECT_EQ(Form->lbConvertInfo->toolTip().toStdString(), File);
    const TThumbnailFile Saved = ReadThumbnail(File);
    EXPECT_EQ(Saved.Width, 1024);
    EXPECT_EQ(Saved.Height, 576);
    EXPECT_EQ(Saved.Id.Index, 3);

    Open("long_gop_25.mp4");
    Press(Form->btnPlay);
    ASSERT_TRUE(WaitFor([&] { return Form->SliderBar->Position() >= 1; }));
    Form->tmiSaveFrame->trigger();
    EXPECT_TRUE(UI->PlayManager->Playing());
    Press(Form->btnPause);
    const QString Status = Form->lbConvertInfo->toolTip();
    const QRegularExpression Name("long_gop_25_at_0-00-(\\d\\d)\\.(\\d\\d\\d)\\.png$");
    const QRegularExpressionMatch Match = Name.match(Status);
    ASSERT_TRUE(Match.hasMatch()) << Status.toStdString();
    const int64_t Millis = Match.captured(1).toLongLong() * 1000 + Match.captured(2).toLongLong();
    EXPECT_EQ(ReadThumbnail(Status.toStdString()).Id.Index, Millis / 40);
}

TEST_F(MainWindow, PlayStopAndTheInfoLine) {
    Open("long_gop_25.mp4");
    Press(Form->btnPlay);
    // About once a second the position and the measured rate come back.
    ASSERT_TRUE(WaitFor([&] { return Form->SliderBar->Position() >= 1; }));
    EXPECT_TRUE(Form->lbInfo->text().contains(QRegularExpression("Timestamp: 00:00:0[1-9]$")))
        << Form->lbInfo->text().toStdString();
    Press(Form->btnPause);
    EXPECT_FALSE(UI->PlayManager->Playing());
    Press(Form->btnStop);
    EXPECT_EQ(Form->SliderBar->Position(), 0);
    EXPECT_EQ(Form->lbInfo->text(), "FPS: 25.00 Size: 320x240 Duration: 00:02:00 Timestamp: 00:00:00");
}

// What waits on a person runs after the report: while the completion dialog (or a failure's
// message) is open, the job's last report has returned, the job is over and the video
// commands work.
TEST_F(MainWindow, TheJobHasEndedWhileItsDialogIsOpen) {
    TScratch Out;
    Open("long_gop_25.mp4");
    NextFolder = Out.Path;
    Form->btnSaveFolder->click();
    for (const bool Fails : {false, true}) {
        SCOPED_TRACE(Fails ? "failed" : "done");
        if (Fails) {
            NextFolder = Out.Path + "/gone";
            Form->btnSaveFolder->click();
        }
        Form->rbPieces->click();
        Form->etPieces->setText("3");
        bool Shown = false, Converting = true, Seeks = false;
        OnNextModal([&](QWidget* Modal) {
            Shown = true;
            Converting = UI->PlayManager->Converting();
            Seeks = UI->PlayManager->Seek(2);
            Modal->close();
        });
        Form->btnGenerate->click();
        ASSERT_TRUE(WaitFor([&] { return Shown && !QApplication::activeModalWidget(); }));
        EXPECT_FALSE(Converting);
        EXPECT_TRUE(Seeks);
    }
}

TEST_F(MainWindow, AFailedJobIsReportedAndTheWindowGoesOn) {
    TScratch Out;
    Open("long_gop_25.mp4");
    NextFolder = Out.Path + "/gone";
    Form->btnSaveFolder->click();
    TModalAnswer Failure;
    Form->btnGenerate->click();
    ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Converting() && Failure.Seen; }));

    EXPECT_NE(Failure.Text.indexOf("No such file or directory"), -1) << Failure.Text.toStdString();
    EXPECT_NE(Failure.Text.indexOf(QString::fromStdString(Out.Path + "/gone")), -1);
    EXPECT_EQ(Form->lbConvertInfo->text(), "Failed: 0/3000"); // whole video: 120 s at 25 fps
    EXPECT_TRUE(Form->SliderBar->isEnabled());
    Press(Form->btnPlay); // the video commands work again
    EXPECT_TRUE(UI->PlayManager->Playing());
    Press(Form->btnPause);
}

// A video cut short fails in the window as it does on the command line, in every mode, also
// where its frames lie before the cut (the range from 0 to 1 s): the progress line says
// "Failed", and the box gives the reason instead of congratulations. The cut videos are the
// first part of a whole one, as a download that stopped leaves it: 10 s of which 3 s are left
// (make_fixtures.sh cuts them), and the first 90 % of an AVI of 5 s.
TEST_F(MainWindow, AVideoCutShortFailsWithItsReason) {
    struct TCase {
        const char* Video;
        int Percent; // of its bytes kept
    };
    const TCase Cases[] = {
        {"cut_short.mkv", 100},
        {"cut_short.avi", 100},
        {"truncated.mp4", 100},
        {"mpeg4.avi", 90},
    };
    TScratch Cut, Out;
    NextFolder = Out.Path;
    Form->btnSaveFolder->click();
    for (const TCase& C : Cases) {
        const std::string Source = Fixture(C.Video);
        NextVideo = Cut.Path + "/cut" + fs::path(Source).extension().string();
        {
            std::ifstream In(Source, std::ios::binary);
            std::string Bytes((std::istreambuf_iterator<char>(In)), {});
            Bytes.resize(Bytes.size() * C.Percent / 100);
            std::ofstream(NextVideo, std::ios::binary) << Bytes;
        }
        for (QRadioButton* Mode : {Form->rbPieces, Form->rbWhole, Form->rbStartEnd}) {
            SCOPED_TRACE(std::string(C.Video) + ", " + Mode->text().toStdString());
            Form->btnOpen->click();
            ASSERT_TRUE(UI->PlayManager->Opened());
            Mode->click();
            Form->etPieces->setText("3");
            Form->SliderBar->SetSelStart(0);
            Form->SliderBar->SetSelEnd(1);
            TModalAnswer Answer;
            Form->btnGenerate->click();
            ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Converting() && Answer.Seen; }));
            EXPECT_TRUE(Form->lbConvertInfo->text().startsWith("Failed: "))
                << Form->lbConvertInfo->text().toStdString();
            EXPECT_EQ(Answer.Icon, QMessageBox::Critical);
            EXPECT_FALSE(Answer.Heading.contains("successfully")) << Answer.Heading.toStdString();
            EXPECT_TRUE(Answer.Text.contains("cut short")) << Answer.Text.toStdString();
            fs::remove_all(Out.Path + "/cut");
        }
    }
}

TEST_F(MainWindow, MarksAndTheSliderDrive) {
    Open("long_gop_25.mp4");
    UI->PlayManager->Seek(7);
    Press(Form->btnStartPoint);
    UI->PlayManager->Seek(9);
    Press(Form->btnEndPoint);
    EXPECT_EQ(Form->SliderBar->SelStart(), 7);
    EXPECT_EQ(Form->SliderBar->SelEnd(), 9);

    // Dragging the pointer to the very end and releasing it there shows the last frame.
    // The slider hit-tests the pointer where it was last painted.
    TSliderBar* Slider = Form->SliderBar;
    Slider->SetPosition(0);
    Slider->grab(); // paints it
    const int Y = Slider->height() / 2;
    const int Grab = 12;
    const int Travel = Slider->width() - Slider->BarPointer().width();
    QTest::mousePress(Slider, Qt::LeftButton, {}, QPoint(Grab, Y));
    QTest::mouseMove(Slider, QPoint(Travel + Grab, Y));
    EXPECT_EQ(Slider->Position(), Slider->Max());
    QTest::mouseRelease(Slider, Qt::LeftButton, {}, QPoint(Travel + Grab, Y));
    EXPECT_EQ(Slider->Position(), Slider->Max());
    EXPECT_EQ(UI->PlayManager->FrameTime(), 119960000);
    EXPECT_TRUE(Form->lbInfo->text().endsWith(QString::fromUtf8("0:01:59.960 \u00b7 frame 2999")))
        << Form->lbInfo->text().toStdString();
    Press(Form->btnStop);

    // Released in the middle while playing: seek there and play on.
    Press(Form->btnPlay);
    Slider->grab(); // paints it
    const int From =
        Slider->BarPointer().isNull() ? 0 : static_cast<int>(Slider->Position() * Travel / Slider->Max());
    QTest::mousePress(Slider, Qt::LeftButton, {}, QPoint(From + Grab, Y));
    EXPECT_FALSE(UI->PlayManager->Playing()); // paused while held
    QTest::mouseMove(Slider, QPoint(Travel / 2 + Grab, Y));
    const int64_t Target = Slider->Position();
    EXPECT_EQ(Target, 60);
    QTest::mouseRelease(Slider, Qt::LeftButton, {}, QPoint(Travel / 2 + Grab, Y));
    EXPECT_TRUE(UI->PlayManager->Playing());
    EXPECT_EQ(UI->PlayManager->Position(), Target);
    Press(Form->btnPause);
}

// An end mark put before the start mark swaps the two: the range runs between them, and
// GENERATE takes it.
TEST_F(MainWindow, AnEndMarkBeforeTheStartMarkSwapsThem) {
    TScratch Out;
    Open("long_gop_25.mp4");
    NextFolder = Out.Path;
    Form->btnSaveFolder->click();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    Form->btnGenerate->setFocus();
    for (const Qt::Key Key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_I, Qt::Key_Left, Qt::Key_O})
        QTest::keyClick(QApplication::focusWidget(), Key);
    EXPECT_EQ(Form->SliderBar->SelStart(), 5);
    EXPECT_EQ(Form->SliderBar->SelEnd(), 10);
    Form->rbStartEnd->click();
    TModalAnswer Completion;
    Form->btnGenerate->click();
    ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Converting() && Completion.Seen; }));
    EXPECT_EQ(Form->lbConvertInfo->text(), "Done: 150/150"); // seconds 5 to 10, the end whole, at 25 fps
}

TEST_F(MainWindow, ClosingDuringAJobAsksFirst) {
    TScratch Out;
    Open("long_gop_25.mp4");
    NextFolder = Out.Path;
    Form->btnSaveFolder->click();
    Form->rbWhole->click(); // 3000 frames: still running when the close comes
    Form->btnGenerate->click();
    ASSERT_TRUE(UI->PlayManager->Converting());

    TModalAnswer No(QMessageBox::No);
    EXPECT_FALSE(Form->close());
    EXPECT_EQ(No.Text, "Generating the thumbnails, are you sure want to exit application?");
    EXPECT_TRUE(Form->isVisible());
    EXPECT_TRUE(UI->PlayManager->Converting());

    TModalAnswer Yes(QMessageBox::Yes);
    EXPECT_TRUE(Form->close());
    EXPECT_TRUE(Yes.Seen);
    EXPECT_FALSE(UI->PlayManager->Converting());
    EXPECT_LT(std::distance(fs::directory_iterator(Out.Path + "/long_gop_25"), {}), 3000);
}

// ---- The controller's main paths -------------------------------------------------------

// During a job the Open button does nothing; a video handed over is opened when the job
// ends, the last one of several, after one notice.
TEST_F(MainWindow, AVideoHandedOverDuringAJobOpensWhenItEnds) {
    TScratch Out;
    StartJob(Out.Path, Form->rbWhole);

    bool Asked = false;
    UI->ChooseVideo = [&] {
        Asked = true;
        return QString::fromStdString(Fixture("fps_12_5.mp4"));
    };
    Form->btnOpen->click();
    EXPECT_FALSE(Asked) << "no open dialog during a job";
    int Notices = 0;
    OnNextModal([&](QWidget* Modal) {
        ++Notices;
        if (auto* Box = qobject_cast<QMessageBox*>(Modal)) {
            EXPECT_EQ(Box->text(), "Generating the thumbnails; the video opens when they are done.");
            Box->button(QMessageBox::Ok)->click();
        }
    });
    UI->OpenVideo(QString::fromStdString(Fixture("fps_12_5.mp4")));
    EXPECT_EQ(Notices, 1);
    UI->OpenVideo(QString::fromStdString(Fixture("anamorphic.mp4"))); // no second notice
    EXPECT_EQ(Notices, 1);
    EXPECT_EQ(UI->FConvertRec.Name, "long_gop_25");
    EXPECT_TRUE(UI->PlayManager->Converting());
    Form->tmiStopJob->trigger();
    ASSERT_TRUE(WaitFor([&] { return UI->FConvertRec.Name == "anamorphic"; }));
    EXPECT_EQ(Form->windowTitle(), "anamorphic.mp4 — Trovelle");
    EXPECT_EQ(Notices, 1);
}

// The notice that a handed-over video waits for the job goes when the job ends, and the
// video opens.
TEST_F(MainWindow, TheWaitingNoticeGoesWhenTheJobEnds) {
    TScratch Out;
    StartJob(Out.Path, Form->rbWhole);
    bool Notice = false, StillOpen = false;
    OnNextModal([&](QWidget* Modal) {
        auto* Box = qobject_cast<QMessageBox*>(Modal);
        Notice = Box != nullptr;
        Form->tmiStopJob->trigger();
        StillOpen = Modal->isVisible();
        if (Box && StillOpen)
            Box->button(QMessageBox::Ok)->click();
    });
    UI->OpenVideo(QString::fromStdString(Fixture("fps_12_5.mp4")));
    EXPECT_TRUE(Notice);
    EXPECT_FALSE(StillOpen);
    ASSERT_TRUE(WaitFor([&] { return UI->FConvertRec.Name == "fps_12_5"; }));
}

TEST_F(MainWindow, MarksResetWhenANewVideoOpens) {
    Open("long_gop_25.mp4");
    UI->PlayManager->Seek(7);
    Press(Form->btnStartPoint);
    UI->PlayManager->Seek(9);
    Press(Form->btnEndPoint);
    ASSERT_EQ(Form->SliderBar->SelEnd(), 9);
    Open("fps_12_5.mp4");
    EXPECT_EQ(Form->SliderBar->SelStart(), 0);
    EXPECT_EQ(Form->SliderBar->SelEnd(), 0);
    EXPECT_EQ(Form->SliderBar->Position(), 0);
}

TEST_F(MainWindow, PlaybackToTheEndLeavesTheSliderAtTheEndWithTheFullDuration) {
    Open("anamorphic.mp4"); // 2 s
    Press(Form->btnPlay);
    ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Playing(); }));
    EXPECT_EQ(Form->SliderBar->Position(), Form->SliderBar->Max());
    // The rate is the file's, before, during and after playback.
    EXPECT_EQ(Form->lbInfo->text(), "FPS: 25.00 Size: 720x576 Duration: 00:00:02 Timestamp: 00:00:02");
    // Play (the button or Space) at the end starts again from the beginning.
    for (const bool ByKey : {false, true}) {
        SCOPED_TRACE(ByKey ? "Space" : "Play");
        ASSERT_EQ(Form->SliderBar->Position(), Form->SliderBar->Max());
        if (ByKey)
            Form->tmiPlayPause->trigger();
        else
            QTest::mouseClick(static_cast<QWidget*>(Form->btnPlay), Qt::LeftButton, {}, QPoint(16, 16));
        EXPECT_TRUE(UI->PlayManager->Playing());
        EXPECT_LT(Form->SliderBar->Position(), Form->SliderBar->Max());
        ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Playing(); }));
    }
}

// The progress line belongs to the video it counted: opening another clears it.
TEST_F(MainWindow, OpeningAnotherVideoClearsTheProgressLine) {
    TScratch Out;
    Form->etPieces->setText("2");
    Open("anamorphic.mp4");
    NextFolder = Out.Path;
    Form->btnSaveFolder->click();
    Form->rbPieces->click();
    TModalAnswer Completion;
    Form->btnGenerate->click();
    ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Converting() && Completion.Seen; }));
    EXPECT_EQ(Form->lbConvertInfo->text(), "Done: 2/2");
    Open("fps_12_5.mp4");
    EXPECT_EQ(Form->lbConvertInfo->text(), "");
}

// The size accepted in the size dialog is the size of the next job's thumbnails.
TEST_F(MainWindow, TheAcceptedSizeIsTheNextJobsSize) {
    TScratch Out;
    Open("long_gop_25.mp4"); // 320 x 240
    NextFolder = Out.Path;
    Form->btnSaveFolder->click();
    OnNextModal([](QWidget* Modal) {
        auto* Dialog = dynamic_cast<TconfigDlg*>(Modal);
        ASSERT_NE(Dialog, nullptr);
        // The lock follows the entry that has the focus, which a window only gives once active.
        Dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Dialog));
        Dialog->etWidth->setFocus();
        Dialog->etWidth->setText("160"); // the lock makes the height 120
        Dialog->btnOk->click();
    });
    Form->tmiConfig->trigger();
    Form->rbPieces->click();
    Form->etPieces->setText("1");
    TModalAnswer Completion;
    Form->btnGenerate->click();
    ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Converting() && Completion.Seen; }));
    EXPECT_EQ(QImageReader(QString::fromStdString(Out.Path + "/long_gop_25/long_gop_25_0.jpg")).size(),
              QSize(160, 120));
}

TEST_F(MainWindow, CancelOnTheExitQuestionKeepsTheWindow) {
    TScratch Out;
    StartJob(Out.Path, Form->rbWhole);
    TModalAnswer Cancel(QMessageBox::Cancel);
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Cancel.Seen);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_TRUE(UI->PlayManager->Converting());
    Form->tmiStopJob->trigger();
}

// The exit question's default is No. The job ends while it is open: the question goes,
// the completion dialog comes, and the window stays, closing afterwards without a question.
TEST_F(MainWindow, TheExitQuestionGoesWhenTheJobEndsFirst) {
    TScratch Out;
    Form->etPieces->setText("3");
    StartJob(Out.Path, Form->rbPieces);

    bool QuestionSeen = false, DefaultNo = false, CompletionSeen = false, QuestionOpenAtCompletion = true;
    QPointer<QMessageBox> Question;
    std::function<void()> Watch = [&] {
        QWidget* Modal = QApplication::activeModalWidget();
        if (auto* Box = qobject_cast<QMessageBox*>(Modal); Box && !QuestionSeen) {
            QuestionSeen = true;
            Question = Box;
            DefaultNo = Box->defaultButton() == Box->button(QMessageBox::No);
        } else if (Box && CompletionSeen) {
            Box->button(QMessageBox::No)->click(); // a question left open is answered
            return;
        } else if (auto* Completion = dynamic_cast<TcompleteDlg*>(Modal)) {
            CompletionSeen = true;
            QuestionOpenAtCompletion = Question && Question->isVisible();
            Completion->close();
            if (!QuestionOpenAtCompletion)
                return;
        }
        QTimer::singleShot(20, Watch);
    };
    QTimer::singleShot(0, Watch);
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(QuestionSeen);
    EXPECT_TRUE(DefaultNo);
    // The completion dialog shows once the job's last report has returned.
    ASSERT_TRUE(WaitFor([&] { return CompletionSeen; }));
    EXPECT_FALSE(QuestionOpenAtCompletion);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_FALSE(UI->PlayManager->Converting());
    EXPECT_EQ(Form->lbConvertInfo->text(), "Done: 3/3");
    EXPECT_EQ(Out.Files("long_gop_25"), 3u);
    EXPECT_TRUE(Form->close());
}

// Stop (the button or Esc) ends a job after the file it is writing: the files so far stay,
// no completion dialog, and the window is ready again.
TEST_F(MainWindow, StopEndsAJobAndKeepsWhatItWrote) {
    struct TCase {
        bool ByKey;
        QRadioButton* Mode;
        const char* Total;
    };
    const TCase Cases[] = {
        {false, Form->rbWhole, "3000"}, {true, Form->rbWhole, "3000"}, {true, Form->rbPieces, "60"}};
    for (const TCase& C : Cases) {
        const bool ByKey = C.ByKey;
        SCOPED_TRACE(ByKey ? "Esc" : "Stop button");
        SCOPED_TRACE(C.Total);
        TScratch Out;
        Form->etPieces->setText("60");
        StartJob(Out.Path, C.Mode);
        ASSERT_TRUE(WaitFor([&] { return Form->lbConvertInfo->text().startsWith("Processing: 2/"); }));
        if (ByKey) {
            Form->activateWindow();
            QTest::keyClick(Form.get(), Qt::Key_Escape);
        } else {
            QTest::mouseClick(static_cast<QWidget*>(Form->btnStop), Qt::LeftButton, {}, QPoint(16, 16));
        }
        EXPECT_FALSE(UI->PlayManager->Converting());
        const QRegularExpressionMatch Stopped =
            QRegularExpression(QString("^Stopped: (\\d+)/%1$").arg(C.Total))
                .match(Form->lbConvertInfo->text());
        ASSERT_TRUE(Stopped.hasMatch()) << Form->lbConvertInfo->text().toStdString();
        EXPECT_GE(Stopped.captured(1).toInt(), 2);
        // The count is the files kept: the writer finishes the file that was on its way when
        // the stop came, and that file is counted.
        EXPECT_EQ(Out.Files("long_gop_25"), static_cast<size_t>(Stopped.captured(1).toInt()));
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "no completion dialog";
        EXPECT_TRUE(Form->SliderBar->isEnabled());
        Press(Form->btnPlay);
        EXPECT_TRUE(UI->PlayManager->Playing());
        Press(Form->btnPause);
    }
}

// GENERATE pauses playback first, even when it then refuses the piece count.
TEST_F(MainWindow, GeneratePausesBeforeReadingThePieceCount) {
    Open("long_gop_25.mp4");
    Form->rbPieces->click();
    Form->etPieces->setText("0");
    Press(Form->btnPlay);
    ASSERT_TRUE(UI->PlayManager->Playing());
    TModalAnswer NoPieces;
    Form->btnGenerate->click();
    EXPECT_EQ(NoPieces.Text, "You have to enter a number of pieces greater than 0.");
    EXPECT_FALSE(UI->PlayManager->Playing());
}

// ---- Keyboard ---------------------------------------------------------------------------

// Open, play, seek, marks, a mode and GENERATE, all from the keyboard.
TEST_F(MainWindow, EveryModeFromTheKeyboard) {
    TScratch Out;
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    auto Key = [&](int Code, Qt::KeyboardModifiers Modifiers = {}) {
        QWidget* Focus = QApplication::focusWidget() ? QApplication::focusWidget() : Form.get();
        QTest::keyClick(Focus, static_cast<Qt::Key>(Code), Modifiers);
    };

    NextVideo = Fixture("long_gop_25.mp4");
    Key(Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(UI->FConvertRec.Name, "long_gop_25");

    // Space plays and pauses with the focus on a button, without pressing it.
    Form->btnGenerate->setFocus();
    Key(Qt::Key_Space);
    EXPECT_TRUE(UI->PlayManager->Playing());
    EXPECT_FALSE(UI->PlayManager->Converting());
    Key(Qt::Key_Space);
    EXPECT_FALSE(UI->PlayManager->Playing());

    Press(Form->btnStop);
    Key(Qt::Key_Right);
    Key(Qt::Key_Right);
    EXPECT_EQ(UI->PlayManager->Position(), 10);
    EXPECT_EQ(Form->SliderBar->Position(), 10);
    Key(Qt::Key_I);
    Key(Qt::Key_Right);
    Key(Qt::Key_O);
    Key(Qt::Key_Left);
    EXPECT_EQ(Form->SliderBar->SelStart(), 10);
    EXPECT_EQ(Form->SliderBar->SelEnd(), 15);
    EXPECT_EQ(UI->PlayManager->Position(), 10);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(UI->PlayManager->Position(), 0) << "Left stops at the start";

    // In the pieces entry Space, the arrows and the letters are the entry's.
    Form->rbPieces->click();
    Form->etPieces->setFocus();
    Form->etPieces->setText("12");
    Key(Qt::Key_Space);
    Key(Qt::Key_I);
    Key(Qt::Key_3);
    EXPECT_FALSE(UI->PlayManager->Playing());
    EXPECT_EQ(Form->SliderBar->SelStart(), 10);
    EXPECT_EQ(Form->etPieces->text(), "123");

    // The modes with the arrow keys of the radio buttons, the buttons with Enter.
    Form->rbWhole->click();
    Form->rbWhole->setFocus();
    Key(Qt::Key_Down);
    EXPECT_TRUE(Form->rbPieces->isChecked());
    Key(Qt::Key_Down);
    EXPECT_TRUE(Form->rbStartEnd->isChecked());
    NextFolder = Out.Path;
    Form->btnSaveFolder->setFocus();
    Key(Qt::Key_Return);
    EXPECT_EQ(Form->etSaveFolder->text().toStdString(), Out.Folder());
    Form->btnGenerate->setFocus();
    TModalAnswer Completion;
    Key(Qt::Key_Return);
    ASSERT_TRUE(UI->PlayManager->Converting());
    ASSERT_TRUE(WaitFor([&] { return !UI->PlayManager->Converting() && Completion.Seen; }));
    EXPECT_EQ(Form->lbConvertInfo->text(), "Done: 150/150"); // seconds 10 to 15 at 25 fps
    EXPECT_EQ(Out.Files("long_gop_25"), 150u);
}

// Tab reaches the slider and the player's buttons: the arrow keys move the slider a second
// at a time (the window's five-second keys wait) and seek there as a release does, End is a
// release at the end (the last frame); Return presses the buttons.
TEST_F(MainWindow, ThePlayerFromTheKeyboard) {
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    Open("long_gop_25.mp4");
    ASSERT_EQ(Form->SliderBar->Max(), 120);
    const auto Tab = [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); };
    const auto Key = [](Qt::Key Code) { QTest::keyClick(QApplication::focusWidget(), Code); };

    Form->rbStartEnd->setFocus(Qt::TabFocusReason);
    Tab();
    ASSERT_EQ(QApplication::focusWidget(), Form->btnGenerate);
    Tab();
    ASSERT_EQ(QApplication::focusWidget(), Form->SliderBar);
    for (int I = 0; I < 10; ++I)
        Key(Qt::Key_Right);
    Key(Qt::Key_Left);
    EXPECT_EQ(Form->SliderBar->Position(), 9);
    EXPECT_EQ(UI->PlayManager->Position(), 9);
    EXPECT_TRUE(Form->lbInfo->text().endsWith("Timestamp: 00:00:09")) << Form->lbInfo->text().toStdString();

    Tab();
    ASSERT_EQ(QApplication::focusWidget(), Form->btnStartPoint);
    Key(Qt::Key_Return);
    EXPECT_EQ(Form->SliderBar->SelStart(), 9);
    Tab();
    Tab();
    ASSERT_EQ(QApplication::focusWidget(), Form->btnPlay);
    Key(Qt::Key_Return);
    EXPECT_TRUE(UI->PlayManager->Playing());
    Tab();
    ASSERT_EQ(QApplication::focusWidget(), Form->btnStop);
    Key(Qt::Key_Enter);
    EXPECT_FALSE(UI->PlayManager->Playing());
    EXPECT_EQ(UI->PlayManager->Position(), 0);

    Form->SliderBar->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(UI->PlayManager->Position(), 12);
    Key(Qt::Key_End);
    EXPECT_EQ(Form->SliderBar->Position(), Form->SliderBar->Max());
    EXPECT_EQ(UI->PlayManager->FrameTime(), 119960000) << "the last frame";
    Key(Qt::Key_Home);
    EXPECT_EQ(Form->SliderBar->Position(), 0);
    EXPECT_EQ(UI->PlayManager->FrameTime(), 0);
}

// Every frame is within reach of the window's keys: Home and End go to the first and the
// last frame exactly, Left and Right move five seconds from the frame on screen (to the last
// frame within five seconds of the end), and the steps go on from wherever those left off.
TEST_F(MainWindow, TheKeysReachEveryFrame) {
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    struct TCase {
        const char* Video;
        std::vector<int> Keys;
        const char* Shown; // the paused info line's end
        bool AtEnd;        // the slider's pointer at its end
    };
    const TCase Cases[] = {
        {"anamorphic.mp4", {Qt::Key_End}, "0:00:01.960 \u00b7 frame 49", true}, // 2 s at 25 fps
        {"anamorphic.mp4",
         {Qt::Key_Period, Qt::Key_Period, Qt::Key_Home},
         "0:00:00.000 \u00b7 frame 0",
         false},
        {"anamorphic.mp4", {Qt::Key_Right}, "0:00:01.960 \u00b7 frame 49", true},
        {"anamorphic.mp4", {Qt::Key_Right, Qt::Key_Comma}, "0:00:01.920 \u00b7 frame 48", false},
        {"anamorphic.mp4", {Qt::Key_Right, Qt::Key_Period}, "0:00:01.960 \u00b7 frame 49", true},
        {"anamorphic.mp4", {Qt::Key_End, Qt::Key_Home}, "0:00:00.000 \u00b7 frame 0", false},
        {"long_gop_25.mp4",
         {Qt::Key_Period, Qt::Key_Period, Qt::Key_Period, Qt::Key_Right},
         "0:00:05.120 \u00b7 frame 128",
         false},
        {"long_gop_25.mp4",
         {Qt::Key_Period, Qt::Key_Right, Qt::Key_Right, Qt::Key_Left},
         "0:00:05.040 \u00b7 frame 126",
         false},
        {"long_gop_25.mp4", {Qt::Key_End, Qt::Key_Left}, "0:01:54.960 \u00b7 frame 2874", false},
        {"long_gop_25.mp4",
         {Qt::Key_End, Qt::Key_Left, Qt::Key_Right},
         "0:01:59.960 \u00b7 frame 2999",
         true},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(::testing::Message() << Case.Video << ", key count " << Case.Keys.size());
        Open(Case.Video);
        Form->btnGenerate->setFocus();
        for (const int Key : Case.Keys) {
            QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(Key));
            QTest::qWait(50); // a step is made once the presses that came with it are in
        }
        EXPECT_TRUE(Form->lbInfo->text().endsWith(QString::fromUtf8(Case.Shown)))
            << Form->lbInfo->text().toStdString();
        EXPECT_EQ(Form->SliderBar->Position() == Form->SliderBar->Max(), Case.AtEnd);
        EXPECT_FALSE(UI->PlayManager->Playing());
    }

    // In a text entry Home and End are the entry's.
    QTest::keyClick(Form.get(), Qt::Key_Home);
    ASSERT_EQ(Form->SliderBar->Position(), 0);
    Form->rbPieces->click();
    Form->etPieces->setFocus();
    Form->etPieces->setText("12");
    Form->etPieces->setCursorPosition(0);
    QTest::keyClick(Form->etPieces, Qt::Key_End);
    EXPECT_EQ(Form->etPieces->cursorPosition(), 2);
    EXPECT_EQ(Form->SliderBar->Position(), 0);
    EXPECT_EQ(UI->PlayManager->FrameTime(), 0);
}

// F (or a double-click on the picture) shows the video alone on the whole screen, as large
// as its shape allows; the player's keys work there, and F or Esc comes back to the window
// as it was designed.
TEST_F(MainWindow, FullScreenAndBack) {
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    Open("anamorphic.mp4"); // shown at 16:9
    QWidget* Panel = UI->FVideoPanel;
    const QRect Designed = Panel->geometry();
    for (const bool ByMouse : {false, true}) {
        SCOPED_TRACE(ByMouse ? "double-click, Esc" : "F, F");
        if (ByMouse)
            QTest::mouseDClick(Panel, Qt::LeftButton, {}, Panel->rect().center());
        else
            QTest::keyClick(Form.get(), Qt::Key_F);
        QWidget* Screen = Panel->window();
        ASSERT_NE(Screen, Form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(Screen));
        EXPECT_TRUE(Screen->isFullScreen());
        EXPECT_EQ(Panel->size(), Screen->screen()->size());
        // The player's keys, there.
        QTest::keyClick(Screen, Qt::Key_Home);
        EXPECT_EQ(UI->PlayManager->FrameTime(), 0);
        QTest::keyClick(Screen, Qt::Key_End);
        EXPECT_EQ(UI->PlayManager->FrameTime(), 1960000);
        // The picture of the last frame (49, at second 1): column 0 of its 16 is white top
        // to bottom, column 5 in its upper half; it is as wide as the screen at 16:9, or as
        // high, centred.
        const QImage Shot = Panel->grab().toImage();
        Shot.save(QStringLiteral(TEST_BINDIR "/fullscreen.png")); // for a person to look at
        const auto White = [&](int X, int Y) { return qGray(Shot.pixel(X, Y)) > 128; };
        int Left = -1, Top = -1, Bottom = -1, Right = -1;
        for (int X = 0; X < Shot.width() && Left < 0; ++X)
            if (White(X, Shot.height() / 2))
                Left = X;
        ASSERT_GE(Left, 0) << "a picture";
        for (int Y = 0; Y < Shot.height(); ++Y)
            if (White(Left + 2, Y)) {
                Top = Top < 0 ? Y : Top;
                Bottom = Y;
            }
        const int Upper = Top + (Bottom - Top) / 4;
        for (int X = Left; X < Shot.width(); ++X)
            if (White(X, Upper))
                Right = X;
        const double Width = (Right - Left + 1) * 16.0 / 6.0, Height = Bottom - Top + 1;
        EXPECT_TRUE(Width >= Shot.width() - 8 || Height >= Shot.height() - 8) << Width << " x " << Height;
        EXPECT_NEAR(Width / Height, 16.0 / 9.0, 0.05) << Width << " x " << Height;
        EXPECT_NEAR(Left + Width / 2, Shot.width() / 2.0, 4);
        EXPECT_NEAR(Top + Height / 2, Shot.height() / 2.0, 4);
        QTest::keyClick(Screen, ByMouse ? Qt::Key_Escape : Qt::Key_F);
        EXPECT_EQ(Panel->window(), Form.get());
        EXPECT_EQ(Panel->geometry(), Designed);
        EXPECT_TRUE(Panel->isVisible());
    }
}

// End, then Ctrl+S: the last frame is saved, named after its own time.
TEST_F(MainWindow, EndThenSaveTakesTheLastFrame) {
    TScratch Out;
    Open("anamorphic.mp4");
    NextFolder = Out.Path;
    Form->btnSaveFolder->click();
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    QTest::keyClick(Form.get(), Qt::Key_End);
    QTest::keyClick(Form.get(), Qt::Key_S, Qt::ControlModifier);
    const std::string File = Out.Path + "/anamorphic/anamorphic_at_0-00-01.960.png";
    EXPECT_EQ(Form->lbConvertInfo->toolTip().toStdString(), File);
    EXPECT_EQ(ReadThumbnail(File).Id.Index, 49);
}

// The status line after a save in a deep folder: the folder gives up its middle, the line
// keeps its start, the folder's start and the file's name, and fits; its tip has it all.
TEST_F(MainWindow, ASavedFrameInADeepFolderKeepsItsStartAndName) {
    TScratch Out;
    const std::string Deep = Out.Path + "/" + std::string(60, 'a') + "/" + std::string(60, 'b');
    fs::create_directories(Deep);
    Open("anamorphic.mp4");
    NextFolder = Deep;
    Form->btnSaveFolder->click();
    Form->tmiSaveFrame->trigger();
    const QLabel* Status = Form->lbConvertInfo;
    const QString Text = Status->text();
    const QString Whole = QString::fromStdString(Deep + "/anamorphic/anamorphic_at_0-00-00.000.png");
    EXPECT_TRUE(QFileInfo::exists(Whole));
    EXPECT_TRUE(Text.startsWith("Saved: " + QString::fromStdString(Out.Path).left(5))) << Text.toStdString();
    EXPECT_TRUE(Text.endsWith("/anamorphic_at_0-00-00.000.png")) << Text.toStdString();
    EXPECT_TRUE(Text.contains(QChar(0x2026))) << Text.toStdString();
    EXPECT_LE(Status->fontMetrics().horizontalAdvance(Text), Status->width()) << Text.toStdString();
    EXPECT_EQ(Status->toolTip(), Whole);
    // For a person to look at: the status line after the save.
    Form->grab().save(QStringLiteral(TEST_BINDIR "/main-saved-frame.png"));
}

// "." during playback pauses and shows the frame after the one on screen.
TEST_F(MainWindow, AStepDuringPlaybackPausesThere) {
    Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
    Open("long_gop_25.mp4");
    Press(Form->btnPlay);
    ASSERT_TRUE(WaitFor([&] { return Form->SliderBar->Position() >= 1; }));
    QTest::keyClick(Form.get(), Qt::Key_Period);
    QTest::qWait(50);
    EXPECT_FALSE(UI->PlayManager->Playing());
    const QRegularExpression Frame("frame (\\d+)$");
    const QRegularExpressionMatch Stepped = Frame.match(Form->lbInfo->text());
    ASSERT_TRUE(Stepped.hasMatch()) << Form->lbInfo->text().toStdString();
    EXPECT_GE(Stepped.captured(1).toInt(), 25);
    // Back and on again: the same frame, so the step left a frame the steps know.
    QTest::keyClick(Form.get(), Qt::Key_Comma);
    QTest::qWait(50);
    QTest::keyClick(Form.get(), Qt::Key_Period);
    QTest::qWait(50);
    EXPECT_EQ(Frame.match(Form->lbInfo->text()).captured(1), Stepped.captured(1));
}

// ---- Opening from outside the dialog --------------------------------------------------

TEST_F(MainWindow, AHandedOverVideoOpensAsTheOpenButtonWould) {
    Open("long_gop_25.mp4");
    Press(Form->btnPlay);
    UI->OpenVideo(QString::fromStdString(Fixture("fps_12_5.mp4")));
    EXPECT_FALSE(UI->PlayManager->Playing()) << "paused first and not started again";
    EXPECT_EQ(UI->FConvertRec.Name, "fps_12_5");
    // The same refusal as from the dialog.
    TModalAnswer Refusal;
    UI->OpenVideo(QString::fromStdString(Fixture("garbage.mp4")));
    EXPECT_TRUE(Refusal.Text.startsWith("Unable to open video file: ")) << Refusal.Text.toStdString();
    EXPECT_EQ(UI->FConvertRec.Name, "fps_12_5");
}

TEST_F(MainWindow, DroppingOneLocalFileOpensIt) {
    struct TCase {
        const char* What;
        QList<QUrl> Urls;
        bool Opens;
    };
    const QUrl Video = QUrl::fromLocalFile(QString::fromStdString(Fixture("fps_12_5.mp4")));
    const TCase Cases[] = {
        {"two files", {Video, QUrl::fromLocalFile(QString::fromStdString(Fixture("anamorphic.mp4")))}, false},
        {"a folder", {QUrl::fromLocalFile(QString::fromLatin1(TEST_DATADIR))}, false},
        {"a remote file", {QUrl("https://example.org/video.mp4")}, false},
        {"one video", {Video}, true},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        QMimeData Data;
        Data.setUrls(C.Urls);
        const QPointF At(200, 200);
        QDragEnterEvent Enter(At.toPoint(), Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Form.get(), &Enter);
        EXPECT_EQ(Enter.isAccepted(), C.Opens);
        QDropEvent Drop(At, Qt::CopyAction, &Data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(Form.get(), &Drop);
        EXPECT_EQ(UI->FConvertRec.Name == "fps_12_5", C.Opens);
    }
}

// ---- Remembered between runs -----------------------------------------------------------

TEST(Remembered, WhatTheLastRunChoseIsThereAgain) {
    TScratch Config, Out;
    const QString File = QString::fromStdString(Config.Path + "/trovelle/trovelle.conf");
    {
        TWindow First(File);
        // The first run shows the designed defaults.
        EXPECT_TRUE(First.Form->rbWhole->isChecked());
        EXPECT_EQ(First.Form->etPieces->text(), "12");
        EXPECT_FALSE(First.Form->etPieces->isEnabled());
        EXPECT_TRUE(First.Form->etSaveFolder->text().isEmpty());

        First.UI->ChooseVideo = [] { return QString::fromStdString(Fixture("long_gop_25.mp4")); };
        First.Form->btnOpen->click();
        First.UI->ChooseFolder = [&] { return QString::fromStdString(Out.Path); };
        First.Form->btnSaveFolder->click();
        First.Form->rbPieces->click();
        First.Form->etPieces->setText("7");
        OnNextModal([](QWidget* Modal) {
            auto* Dialog = dynamic_cast<TconfigDlg*>(Modal);
            ASSERT_NE(Dialog, nullptr);
            Dialog->ckbConstrain->setChecked(true);
            Dialog->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(Dialog));
            Dialog->etWidth->setFocus();
            Dialog->etWidth->setText("200");
            Dialog->btnOk->click();
        });
        First.Form->tmiConfig->trigger();
        EXPECT_TRUE(First.Form->close());
    }
    TWindow Second(File);
    EXPECT_EQ(Second.UI->ConfigManager->OpenFolder, QString::fromLatin1(TEST_DATADIR));
    EXPECT_EQ(Second.Form->etSaveFolder->text().toStdString(), Out.Folder());
    EXPECT_TRUE(Second.Form->rbPieces->isChecked());
    EXPECT_TRUE(Second.Form->etPieces->isEnabled());
    EXPECT_EQ(Second.Form->etPieces->text(), "7");
    EXPECT_EQ(Second.UI->ConfigManager->Width, 200);
    EXPECT_TRUE(Second.UI->ConfigManager->Constrain);
    // The chosen width stays and the next video gives the height its shape.
    Second.UI->ChooseVideo = [] { return QString::fromStdString(Fixture("anamorphic.mp4")); };
    Second.Form->btnOpen->click();
    EXPECT_EQ(Second.UI->ConfigManager->Width, 200);
    EXPECT_EQ(Second.UI->ConfigManager->Height, 112); // 200 / (16 / 9) = 112.5, to even
}

// Every choice of a run lives in the one settings file, with the values that differ from
// the defaults (the size lock unticked, the range mode, the sheet's grid) coming back as the
// user left them; nothing else is written in the config folder.
TEST(Remembered, EveryChoiceLivesInTheOneSettingsFile) {
    TScratch Config, Out;
    const std::string SavedConfig = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("XDG_CONFIG_HOME", Config.Path.c_str(), 1);
    const QString File = QString::fromStdString(Config.Path + "/trovelle/trovelle.conf");
    // Reads the sheet dialog when it shows, then gives it Columns, Rows and Width and OK, or
    // cancels it when they are null.
    QString Shown;
    const auto AnswerSheet = [&](const char* Columns, const char* Rows, const char* Width) {
        OnNextModal([&, Columns, Rows, Width](QWidget* Modal) {
            auto* Dialog = dynamic_cast<TsheetDlg*>(Modal);
            ASSERT_NE(Dialog, nullptr);
            Shown = Dialog->etColumns->text() + "x" + Dialog->etRows->text() + "@" + Dialog->etWidth->text();
            if (!Columns) {
                Dialog->btnCancel->click();
                return;
            }
            Dialog->etColumns->setText(Columns);
            Dialog->etRows->setText(Rows);
            Dialog->etWidth->setText(Width);
            Dialog->btnOk->click();
        });
    };
    {
        TWindow First(File);
        First.UI->ChooseVideo = [] { return QString::fromStdString(Fixture("ntsc_2997.mp4")); };
        First.Form->btnOpen->click();
        First.UI->ChooseFolder = [&] { return QString::fromStdString(Out.Path); };
        First.Form->btnSaveFolder->click();
        OnNextModal([](QWidget* Modal) {
            auto* Dialog = dynamic_cast<TconfigDlg*>(Modal);
            ASSERT_NE(Dialog, nullptr);
            Dialog->ckbConstrain->setChecked(false);
            Dialog->etWidth->setText("300");
            Dialog->etHeight->setText("100");
            Dialog->btnOk->click();
        });
        First.Form->tmiConfig->trigger();
        AnswerSheet("3", "2", "640");
        First.Form->tmiSheet->trigger();
        EXPECT_EQ(Shown, "4x4@1600");
        TModalAnswer Completion;
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !First.UI->PlayManager->Converting() && Completion.Seen; }, 15000));
        First.Form->rbStartEnd->click();
        EXPECT_TRUE(First.Form->close());
    }
    std::vector<std::string> Written;
    for (const auto& Entry : fs::recursive_directory_iterator(Config.Path))
        Written.push_back(fs::relative(Entry.path(), Config.Path).string());
    EXPECT_EQ(Written, (std::vector<std::string>{"trovelle", "trovelle/trovelle.conf"}));
    const QSettings Stored(File, QSettings::IniFormat);
    EXPECT_EQ(Stored.value("Sheet/Columns").toString(), "3");
    EXPECT_EQ(Stored.value("Sheet/Rows").toString(), "2");
    EXPECT_EQ(Stored.value("Sheet/Width").toString(), "640");

    TWindow Second(File);
    EXPECT_TRUE(Second.Form->rbStartEnd->isChecked());
    EXPECT_FALSE(Second.Form->etPieces->isEnabled());
    EXPECT_FALSE(Second.UI->ConfigManager->Constrain);
    EXPECT_EQ(Second.UI->ConfigManager->Width, 300);
    EXPECT_EQ(Second.UI->ConfigManager->Height, 100);
    // An unlocked size stays as it was chosen, whatever the next video's shape.
    Second.UI->ChooseVideo = [] { return QString::fromStdString(Fixture("anamorphic.mp4")); };
    Second.Form->btnOpen->click();
    EXPECT_EQ(Second.UI->ConfigManager->Height, 100);
    AnswerSheet(nullptr, nullptr, nullptr);
    Second.Form->tmiSheet->trigger();
    EXPECT_EQ(Shown, "3x2@640");
    EXPECT_TRUE(Second.Form->close());
    if (SavedConfig.empty())
        unsetenv("XDG_CONFIG_HOME");
    else
        setenv("XDG_CONFIG_HOME", SavedConfig.c_str(), 1);
}

TEST(Remembered, ADamagedStoreGivesTheDefaults) {
    TScratch Config;
    const std::string Path = Config.Path + "/trovelle.conf";
    const char* const Contents[] = {
        "[Folders]\nOpen=/no/such/folder\nSave=relative/folder\n[Thumbnail]\nWidth=-5\nHeight=abc\n"
        "Constrain=maybe\n[Generate]\nMode=sideways\nPieces=-3\n",
        "[Thumbnail]\nWidth=100000\nHeight=90\n[Generate]\nPieces=999999999999\n",
        "\x01\x02\xff garbage \x00 [[[ =",
    };
    for (const char* Text : Contents) {
        SCOPED_TRACE(Text);
        FILE* F = fopen(Path.c_str(), "wb");
        fwrite(Text, 1, strlen(Text), F);
        fclose(F);
        TWindow Window(QString::fromStdString(Path));
        const TConfigManager& C = *Window.UI->ConfigManager;
        EXPECT_TRUE(C.OpenFolder.isEmpty());
        EXPECT_TRUE(C.SaveFolder.isEmpty());
        EXPECT_EQ(C.Width, 400);
        EXPECT_EQ(C.Height, 225);
        EXPECT_TRUE(C.Constrain);
        EXPECT_FALSE(C.SizeChosen);
        EXPECT_TRUE(Window.Form->rbWhole->isChecked());
        EXPECT_EQ(Window.Form->etPieces->text(), "12");
    }
    // A store that is a folder, not a file, cannot be read or written: defaults, no harm.
    TWindow Window(QString::fromStdString(Config.Path));
    EXPECT_EQ(Window.UI->ConfigManager->Width, 400);
    EXPECT_TRUE(Window.Form->close());
}

// ---- The command line ------------------------------------------------------------------

// A start with nowhere to show the window is told apart before Qt starts; a display or a
// platform named in any of the usual ways lets Qt try.
TEST(CommandLine, MissingDisplay) {
    struct TCase {
        QStringList Arguments;
        std::map<std::string, QByteArray> Environment;
        bool Missing;
    };
    const TCase Cases[] = {
        {{"trovelle"}, {}, true},
        {{"trovelle"}, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, true},
        {{"trovelle"}, {{"DISPLAY", ":0"}}, false},
        {{"trovelle"}, {{"WAYLAND_DISPLAY", "wayland-0"}}, false},
        {{"trovelle"}, {{"QT_QPA_PLATFORM", "offscreen"}}, false},
        {{"trovelle", "-platform", "offscreen"}, {}, false},
        {{"trovelle", "--", "-platform"}, {}, true},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Arguments.join(' ').toStdString());
        const QString Reason = MissingDisplay(C.Arguments, [&](const char* Name) {
            const auto It = C.Environment.find(Name);
            return It == C.Environment.end() ? QByteArray() : It->second;
        });
        EXPECT_EQ(!Reason.isEmpty(), C.Missing) << Reason.toStdString();
    }
}

// The display a start's window goes to, which names its single instance: Qt's options over
// the environment, the platform's own display, both displays while Qt may pick either.
TEST(CommandLine, WindowDisplay) {
    struct TCase {
        QStringList Arguments;
        std::map<std::string, QByteArray> Environment;
        const char* Display;
    };
    const TCase Cases[] = {
        {{"trovelle"}, {{"DISPLAY", ":0"}}, ":0"},
        {{"trovelle"}, {{"DISPLAY", ":0"}, {"WAYLAND_DISPLAY", "wayland-1"}}, "wayland-1+:0"},
        {{"trovelle"},
         {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-1"}},
         ":0"},
        {{"trovelle"},
         {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "wayland"}, {"WAYLAND_DISPLAY", "wayland-1"}},
         "wayland-1"},
        {{"trovelle"}, {{"QT_QPA_PLATFORM", "wayland-egl;xcb"}}, "wayland-0"},
        {{"trovelle"}, {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}}, "offscreen"},
        {{"trovelle", "-platform", "xcb", "-display", ":3"},
         {{"DISPLAY", ":0"}, {"QT_QPA_PLATFORM", "offscreen"}},
         ":3"},
        {{"trovelle", "-platform=vnc:size=800x600"}, {{"DISPLAY", ":0"}}, "vnc:size=800x600"},
        {{"trovelle", "--", "-display", ":3"}, {{"DISPLAY", ":0"}}, ":0"},
        {{"trovelle"}, {}, ""},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Arguments.join(' ').toStdString());
        const QString Display = WindowDisplay(C.Arguments, [&](const char* Name) {
            const auto It = C.Environment.find(Name);
            return It == C.Environment.end() ? QByteArray() : It->second;
        });
        EXPECT_EQ(Display.toStdString(), C.Display);
    }
}

TEST(CommandLine, OneVideoAsAFullPath) {
    using A = TCommandLine::TAction;
    const QString Here = QDir::currentPath();
    struct TCase {
        QStringList Arguments;
        A Action;
        QString Video;
    };
    const TCase Cases[] = {
        {{"trovelle"}, A::Run, {}},
        {{"trovelle", "/v/a.mp4"}, A::Run, "/v/a.mp4"},
        {{"trovelle", "a.mp4"}, A::Run, Here + "/a.mp4"},
        {{"trovelle", "file:///v/b%20c.mkv"}, A::Run, "/v/b c.mkv"},
        {{"trovelle", "--", "-odd.mp4"}, A::Run, Here + "/-odd.mp4"},
        {{"trovelle", "a.mp4", "--help"}, A::Help, {}},
        {{"trovelle", "-v"}, A::Version, {}},
        {{"trovelle", "--", "--help"}, A::Run, Here + "/--help"},
        {{"trovelle", "--bogus"}, A::Error, {}},
        {{"trovelle", "a.mp4", "b.mp4"}, A::Error, {}},
        // Qt's own options, as a later start or one without a display reads them.
        {{"trovelle", "-style", "fusion", "a.mp4"}, A::Run, Here + "/a.mp4"},
        {{"trovelle", "--reverse", "-stylesheet=x.qss", "-platform", "xcb"}, A::Run, {}},
        {{"trovelle", "-qwindowtitle", "T", "--", "-style"}, A::Run, Here + "/-style"},
        {{"trovelle", "-styles", "a.mp4"}, A::Error, {}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Arguments.join(' ').toStdString());
        const TCommandLine Line = ParseCommandLine(C.Arguments);
        EXPECT_EQ(Line.Action, C.Action);
        if (C.Action == A::Run) {
            EXPECT_EQ(Line.Video, C.Video);
        }
        EXPECT_EQ(Line.Error.isEmpty(), C.Action != A::Error);
    }
}
