#include "uiManager.h"

#include "engine/videotypes.h"
#include "gui/dialogs/aboutForm.h"
#include "gui/dialogs/browseFolder.h"
#include "gui/dialogs/completeForm.h"
#include "gui/dialogs/configForm.h"
#include "gui/dialogs/sheetForm.h"
#include "gui/dialogs/translatedWording.h"
#include "gui/widgets/flatedit.h"
#include "gui/widgets/humanskin.h"
#include "gui/widgets/imagebutton.h"
#include "gui/widgets/linkLabel.h"
#include "gui/widgets/sliderbar.h"
#include "gui/widgets/videopanel.h"
#include "image/outputfolder.h"
#include "jobs/shortfall.h"
#include "jobs/stillframe.h"
#include "mainForm.h"
#include "platform/appinfo.h"
#include "platform/platform.h"
#include "windowFrame.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>

namespace {

constexpr const char* kSelectFolderTitle = QT_TRANSLATE_NOOP("TUIManager", "Select Folder");
constexpr const char* kHelpPath = "/help";
constexpr const char* kSupportPath = "/support.html";
constexpr const char* kNoVideo = QT_TRANSLATE_NOOP("TUIManager", "No video is opened, please load a video!");
constexpr const char* kNoRange =
    QT_TRANSLATE_NOOP("TUIManager", "You have to select start position and end position for the option.");
constexpr const char* kNoPieces =
    QT_TRANSLATE_NOOP("TUIManager", "You have to enter a number of pieces greater than 0.");
constexpr const char* kExitQuestion =
    QT_TRANSLATE_NOOP("TUIManager", "Generating the thumbnails, are you sure want to exit application?");
constexpr const char* kBusy =
    QT_TRANSLATE_NOOP("TUIManager", "Generating the thumbnails; the video opens when they are done.");
constexpr const char* kSaveFolderGone = QT_TRANSLATE_NOOP(
    "TUIManager",
    "The save folder %1 is no longer there. The thumbnails go to %2 until another folder is selected.");
constexpr const char* kSaveFolderGoneNoDefault = QT_TRANSLATE_NOOP(
    "TUIManager", "The save folder %1 is no longer there. Select another folder for the thumbnails.");
// How far Left and Right move, in seconds.
constexpr int32_t kSeekStep = 5;
constexpr int64_t kMicroseconds = 1000000;

// Format with the path of File in Folder for %1, as Label shows it whole: a folder too long
// for it gives up its middle, so that the start of the line, the folder's start and the
// file's name stay.
QString FittedPathLine(const QLabel& Label, const QString& Format, const QString& Folder,
                       const QString& File) {
    const QFontMetrics Metrics = Label.fontMetrics();
    const QString Path = Folder + QStringLiteral("/") + File;
    const QString Whole = Format.arg(Path);
    if (Metrics.horizontalAdvance(Whole) <= Label.width())
        return Whole;
    const QString Ellipsis(QChar(0x2026));
    const int Room = Label.width() - Metrics.horizontalAdvance(Format.arg(QStringLiteral("/") + File));
    if (Room >= Metrics.horizontalAdvance(Folder.left(1) + Ellipsis))
        return Format.arg(Metrics.elidedText(Folder, Qt::ElideMiddle, Room) + QStringLiteral("/") + File);
    // Not even the file's name has room: the whole path gives up its middle.
    return Format.arg(Metrics.elidedText(Path, Qt::ElideMiddle,
                                         Label.width() - Metrics.horizontalAdvance(Format.arg(QString()))));
}

// Format has %1 for the files written and %2 for the files asked.
QString Progress(const QString& Format, const TConvertProgress& P) {
    return Format.arg(P.Current + 1).arg(P.Total);
}

} // namespace

QString OpenDialogFilter() {
    QStringList Patterns;
    for (const QString& Extension : VideoExtensions())
        Patterns << QStringLiteral("*.") + Extension;
    return QCoreApplication::translate("TUIManager", "Video Files (%1)")
               .arg(Patterns.join(QLatin1Char(' '))) +
           QStringLiteral(";;") + QCoreApplication::translate("TUIManager", "All Files (*)");
}

// "%.2d" prints at least two digits with leading zeros (and all of a larger number).
QString InfoLine(double FPS, int32_t Width, int32_t Height, int32_t DurationHours, int32_t DurationMinutes,
                 int32_t DurationSeconds, const int64_t* Position) {
    const int64_t P = Position ? *Position : 0;
    const QString Stamp =
        QString::asprintf("%.2lld:%.2lld:%.2lld", static_cast<long long>(P / 3600),
                          static_cast<long long>(P / 60 % 60), static_cast<long long>(P % 60));
    return InfoLine(FPS, Width, Height, DurationHours, DurationMinutes, DurationSeconds, Stamp);
}

QString InfoLine(double FPS, int32_t Width, int32_t Height, int32_t DurationHours, int32_t DurationMinutes,
                 int32_t DurationSeconds, const QString& Stamp) {
    const QString Duration =
        QString::asprintf("%.2d:%.2d:%.2d", DurationHours, DurationMinutes, DurationSeconds);
    // %1 is the frame rate with two decimals; a translation may write %L1 for its own decimal sign.
    return QCoreApplication::translate("TUIManager", "FPS: %1 Size: %2x%3 Duration: %4 Timestamp: %5")
        .arg(FPS, 0, 'f', 2)
        .arg(Width)
        .arg(Height)
        .arg(Duration, Stamp);
}

TUIManager::TUIManager(TmainDlg* Form, const QString& SettingsFile, const QString& EarlierSettingsFile)
    : FForm(Form), FSettingsFile(SettingsFile) {
    ConfigManager = std::make_unique<TConfigManager>();
    if (!FSettingsFile.isEmpty())
        Report(ConfigManager->Load(FSettingsFile, EarlierSettingsFile));
    ChooseVideo = [this] {
        return QFileDialog::getOpenFileName(FForm, QString(), ConfigManager->OpenFolder, OpenDialogFilter());
    };
    ChooseFolder = [this] {
        return BrowseForFolder(FForm, tr(kSelectFolderTitle), ConfigManager->SaveFolder);
    };
}

TUIManager::~TUIManager() {
    // The panel goes home first: the full-screen window would take it along.
    LeaveFullScreen();
    FForm->removeEventFilter(this);
    FForm->OnDropFile = nullptr;
    ConfigManager.reset();
    PlayManager.reset();
    delete FVideoPanel;
    FVideoPanel = nullptr;
}

void TUIManager::Initialize() {
    // Only an X11 window (or one of the headless platform) may be placed by the program;
    // elsewhere the compositor decides.
    const QString Platform = QGuiApplication::platformName();
    FClampMoves = Platform == QLatin1String("xcb") || Platform == QLatin1String("offscreen");
    FForm->installEventFilter(this);
    FSaveFolderHint = FForm->etSaveFolder->toolTip();
    FForm->setWindowTitle(QString::fromUtf8(kApplicationTitle));
    SelectSkin(FForm, QString::fromLatin1(kHumanSkin));
    // Qt paints every widget double-buffered already.
    FForm->lbVersion->setText(QString::asprintf("v%s", kApplicationVersion));

    FVideoPanel = new TSDLPanel(FForm);
    FVideoPanel->setGeometry(FForm->blView->geometry());
    FVideoPanel->InitVideo();
    FVideoPanel->hide();
    FVideoPanel->installEventFilter(this);

    FForm->SliderBar->OnMouseDown = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        SliderMouseDown();
    };
    FForm->SliderBar->OnMouseUp = [this](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
        SliderMouseUp();
    };
    FForm->SliderBar->OnKeyMove = [this](QObject*) { SliderKeyMove(); };

    PlayManager = std::make_unique<TPlayManager>(*FVideoPanel);
    PlayManager->OnPosition = [this](int64_t Position) { PlayPosition(Position); };
    PlayManager->OnPlayEnd = [this] { PlayEnd(); };
    PlayManager->OnConvertProgress = [this](const TJobReport& Report) { ConvertProgress(Report); };
    PlayManager->OnConvertDone = [this](const TJobReport& Report) { ConvertDone(Report); };
    PlayManager->OnPlayError = [this] { PlayError(); };
    PlayManager->OnConvertError = [this](const TJobReport& Report) { ConvertError(Report); };

    AssignEvents();
    ShowSettings();
    EnableCommands(false);
}

void TUIManager::EnableCommands(bool JobRunning) {
    TmainDlg* F = FForm;
    const bool Video = PlayManager->Opened() && !JobRunning;
    for (QAction* Command :
         {F->tmiPlay, F->tmiPause, F->tmiPlayPause, F->tmiBack, F->tmiForward, F->tmiFullScreen,
          F->tmiFirstFrame, F->tmiLastFrame, F->tmiStartMark, F->tmiEndMark})
        Command->setEnabled(Video);
    // Stop also ends a job.
    F->tmiStop->setEnabled(PlayManager->Opened());
    F->tmiStopJob->setEnabled(JobRunning);
}

void TUIManager::ShowSettings() {
    const TConfigManager& C = *ConfigManager;
    // Where the files go while no folder is chosen, in grey.
    const QString Default = QString::fromStdString(DefaultSaveFolder());
    FForm->etSaveFolder->setPlaceholderText(Default);
    ShowSaveFolder(C.SaveFolder);
    if (!C.MissingSaveFolder.isEmpty())
        Report(Default.isEmpty() ? tr(kSaveFolderGoneNoDefault).arg(C.MissingSaveFolder)
                                 : tr(kSaveFolderGone).arg(C.MissingSaveFolder, Default));
    QRadioButton* const Modes[] = {FForm->rbWhole, FForm->rbPieces, FForm->rbStartEnd};
    Modes[static_cast<int>(C.Mode)]->setChecked(true);
    FForm->etPieces->setText(QString::number(C.Pieces));
    ModeClick();
}

void TUIManager::ShowSaveFolder(const QString& Folder) {
    // A chosen folder can be read whole (in the hint, or scrolled with the focus), copied and
    // given up; the global one shows in grey in the empty field.
    TMyFlatEdit* Field = FForm->etSaveFolder;
    const QString Shown = QString::fromStdString(IncludeTrailingSlash(Folder.toStdString()));
    Field->setText(Shown);
    Field->setToolTip(Shown.isEmpty() ? FSaveFolderHint : Shown);
    Field->setEnabled(!Shown.isEmpty());
    FForm->tmiDefaultFolder->setVisible(!Shown.isEmpty());
    // Scrolled with the focus, it starts at its end: the folder's own name.
    Field->end(false);
}

void TUIManager::DefaultFolderClick() {
    ConfigManager->SaveFolder.clear();
    ShowSaveFolder(QString());
    StoreSettings();
}

void TUIManager::Report(const QString& Text) {
    // A store that cannot be written says so at the first try, not at every click.
    if (Text.isEmpty() || FReported.contains(Text))
        return;
    FReported << Text;
    FUnshown << Text;
    ShowReports();
}

void TUIManager::ShowReports() {
    if (FUnshown.isEmpty() || !FForm->isVisible())
        return;
    // After the event that gave rise to it, over the window; a box already open takes the
    // new text too.
    QTimer::singleShot(0, this, [this] {
        if (FUnshown.isEmpty() || !FForm->isVisible())
            return;
        const QString Text = FUnshown.join(QStringLiteral("\n\n"));
        FUnshown.clear();
        if (FReportBox) {
            FReportBox->setText(FReportBox->text() + QStringLiteral("\n\n") + Text);
            return;
        }
        FReportBox = new QMessageBox(QMessageBox::Information, QString::fromUtf8(kApplicationTitle), Text,
                                     QMessageBox::Ok, FForm);
        // The window works on while it is open.
        FReportBox->setWindowModality(Qt::NonModal);
        FReportBox->setAttribute(Qt::WA_DeleteOnClose);
        FReportBox->show();
    });
}

TThumbMode TUIManager::ChosenMode() const {
    return FForm->rbStartEnd->isChecked() ? TThumbMode::Range
           : FForm->rbPieces->isChecked() ? TThumbMode::Pieces
                                          : TThumbMode::Whole;
}

void TUIManager::StoreSettings() {
    TConfigManager& C = *ConfigManager;
    C.Mode = ChosenMode();
    const int32_t Pieces = FForm->etPieces->asInteger();
    if (Pieces >= 1)
        C.Pieces = Pieces;
    if (!FSettingsFile.isEmpty())
        Report(C.Save(FSettingsFile));
}

void TUIManager::AssignEvents() {
    TmainDlg* F = FForm;
    F->OnClose = [this](QObject*, TCloseAction& Action) { FormClose(Action); };
    connect(F->btnOpen, &QPushButton::clicked, this, [this] { OpenClick(); });
    connect(F->tmiOpen, &QAction::triggered, this, [this] { OpenClick(); });
    F->btnPlay->OnClick = [this](QObject*) { PlayClick(); };
    connect(F->tmiPlay, &QAction::triggered, this, [this] { PlayClick(); });
    F->btnPause->OnClick = [this](QObject*) { PauseClick(); };
    connect(F->tmiPause, &QAction::triggered, this, [this] { PauseClick(); });
    F->btnStop->OnClick = [this](QObject*) { StopClick(); };
    connect(F->tmiStop, &QAction::triggered, this, [this] { StopClick(); });
    F->btnStartPoint->OnClick = [this](QObject*) { StartPointClick(); };
    F->btnEndPoint->OnClick = [this](QObject*) { EndPointClick(); };
    connect(F->btnSaveFolder, &QPushButton::clicked, this, [this] { SaveFolderClick(); });
    connect(F->tmiDefaultFolder, &QAction::triggered, this, [this] { DefaultFolderClick(); });
    connect(F->btnGenerate, &QPushButton::clicked, this, [this] { GenerateClick(); });
    for (QRadioButton* Mode : {F->rbWhole, F->rbPieces, F->rbStartEnd})
        connect(Mode, &QRadioButton::clicked, this, [this] { ModeClick(); });
    connect(F->tmiConfig, &QAction::triggered, this, [this] { ConfigClick(); });
    connect(F->tmiSheet, &QAction::triggered, this, [this] { SheetClick(); });
    connect(F->tmiExit, &QAction::triggered, this, [this] { ExitClick(); });
    connect(F->tmiHelp, &QAction::triggered, this, [this] { HelpClick(); });
    connect(F->tmiSupport, &QAction::triggered, this, [this] { SupportClick(); });
    connect(F->tmiAbout, &QAction::triggered, this, [this] { AboutClick(); });

    connect(F->tmiPlayPause, &QAction::triggered, this, [this] { PlayPauseKey(); });
    connect(F->tmiBack, &QAction::triggered, this, [this] { SeekBy(-kSeekStep); });
    connect(F->tmiForward, &QAction::triggered, this, [this] { SeekBy(kSeekStep); });
    connect(F->tmiFullScreen, &QAction::triggered, this, [this] { FullScreenKey(); });
    connect(F->tmiFirstFrame, &QAction::triggered, this, [this] { FirstFrameKey(); });
    connect(F->tmiLastFrame, &QAction::triggered, this, [this] { LastFrameKey(); });
    connect(F->tmiNextFrame, &QAction::triggered, this, [this] { StepKey(true); });
    connect(F->tmiPreviousFrame, &QAction::triggered, this, [this] { StepKey(false); });
    connect(F->tmiSaveFrame, &QAction::triggered, this, [this] { SaveFrameClick(); });
    connect(F->tmiStartMark, &QAction::triggered, this, [this] { StartPointClick(); });
    connect(F->tmiEndMark, &QAction::triggered, this, [this] { EndPointClick(); });
    connect(F->tmiStopJob, &QAction::triggered, this, [this] { StopGenerating(); });
    connect(F->etPieces, &QLineEdit::editingFinished, this, [this] { StoreSettings(); });
    F->OnDropFile = [this](const QString& FileName) { OpenVideo(FileName); };
}

void TUIManager::BringToFront() {
    if (FForm->isMinimized())
        FForm->showNormal();
    FForm->raise();
    FForm->activateWindow();
}

void TUIManager::CenterOnWorkArea() {
    const QScreen* Screen = FForm->screen();
    if (!Screen)
        return;
    const QRect Work = Screen->availableGeometry();
    QRect Frame = FForm->frameGeometry();
    const bool Unframed = Frame.size() == FForm->size();
    // Before the first show the frame is asked for, so that the window is shown where it
    // stays instead of being moved once the frame is around it.
    const QMargins Expected =
        FClampMoves && Unframed && !FForm->isVisible() ? ExpectedFrameMargins(FForm) : QMargins();
    Frame = Frame.marginsAdded(Expected);
    const TWindowRect Place = CenteredRect(Frame.width(), Frame.height(),
                                           {Work.left(), Work.top(), Work.right() + 1, Work.bottom() + 1});
    // move() places the frame's top-left corner, as far as Qt knows the frame: a frame only
    // told of is not yet its, so the window goes inside it.
    FForm->move(Place.Left + Expected.left(), Place.Top + Expected.top());
    // Before the window manager has framed the window its outer size is its inner size (or
    // the size it was told); it is centred once more when the frame arrives, which leaves it
    // where it is when the frame is as told.
    FCenterPending = FClampMoves && Unframed;
}

bool TUIManager::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == FVideoPanel && Event->type() == QEvent::MouseButtonDblClick) {
        FullScreenKey();
        return true;
    }
    if (FFullScreen && Watched == FFullScreen) {
        // The panel follows the screen's size, and comes back before the window goes.
        const auto IsEsc = [Event] { return static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Escape; };
        if (Event->type() == QEvent::Resize) {
            PlacePanel(FFullScreen, FFullScreen->rect());
        } else if (Event->type() == QEvent::Close) {
            LeaveFullScreen();
        } else if (Event->type() == QEvent::ShortcutOverride && IsEsc()) {
            Event->accept();
            return true;
        } else if (Event->type() == QEvent::KeyPress && IsEsc()) {
            LeaveFullScreen();
            return true;
        }
    }
    if (Watched == FForm && Event->type() == QEvent::Show)
        ShowReports();
    if (FClampMoves && Watched == FForm && Event->type() == QEvent::Move && FForm->isVisible()) {
        const QRect Frame = FForm->frameGeometry();
        if (FCenterPending && Frame.size() != FForm->size()) {
            CenterOnWorkArea();
        } else {
            // Every screen counts: the window may be dragged onto any of them, and only a
            // window whose title bar left them all is brought back.
            std::vector<TWindowRect> Works;
            for (const QScreen* Each : QGuiApplication::screens()) {
                const QRect Work = Each->availableGeometry();
                Works.push_back({Work.left(), Work.top(), Work.right() + 1, Work.bottom() + 1});
            }
            // Without a window manager's frame the top of the window is what one would take.
            const int TitleHeight = std::max(FForm->geometry().top() - Frame.top(), kMinTitleHeight);
            TWindowRect R{Frame.left(), Frame.top(), Frame.right() + 1, Frame.bottom() + 1};
            WMMoving(R, TitleHeight, Works);
            if (R.Left != Frame.left() || R.Top != Frame.top())
                FForm->move(R.Left, R.Top);
        }
    }
    return QObject::eventFilter(Watched, Event);
}

int TUIManager::Message(const QString& Text, int Icon, int Buttons) const {
    QMessageBox Box(static_cast<QMessageBox::Icon>(Icon), QString::fromUtf8(kApplicationTitle), Text,
                    static_cast<QMessageBox::StandardButtons>(Buttons), FForm);
    return Box.exec();
}

void TUIManager::WriteInfo(bool Running) {
    const TPlayManager& P = *PlayManager;
    const int64_t Position = P.Position();
    FForm->lbInfo->setText(InfoLine(FFileFPS, P.Width(), P.Height(), P.DurationHours(), P.DurationMinutes(),
                                    P.DurationSeconds(), Running ? &Position : nullptr));
}

void TUIManager::WriteInfoAtEnd() {
    const TPlayManager& P = *PlayManager;
    const int64_t Duration =
        static_cast<int64_t>(P.DurationHours()) * 3600 + P.DurationMinutes() * 60 + P.DurationSeconds();
    FForm->lbInfo->setText(InfoLine(FFileFPS, P.Width(), P.Height(), P.DurationHours(), P.DurationMinutes(),
                                    P.DurationSeconds(), &Duration));
}

void TUIManager::OpenClick() {
    if (PlayManager->Converting())
        return;
    const bool WasPlaying = PlayManager->Playing();
    if (WasPlaying)
        PlayManager->Pause();
    const QString FileName = ChooseVideo();
    // Repaint what the dialog covered before the slow open.
    FForm->repaint();
    if (FileName.isEmpty()) {
        if (WasPlaying)
            PlayManager->Play();
        return;
    }
    OpenChosen(FileName);
}

void TUIManager::OpenVideo(const QString& FileName) {
    if (PlayManager->Converting()) {
        // The last video handed over during a job opens when the job ends; the first one
        // says so, and the later ones only take its place.
        const bool Told = !FPendingVideo.isEmpty();
        FPendingVideo = QFileInfo(FileName).absoluteFilePath();
        if (!Told) {
            QMessageBox Box(QMessageBox::Information, QString::fromUtf8(kApplicationTitle), tr(kBusy),
                            QMessageBox::Ok, FForm);
            FBusyBox = &Box;
            Box.exec();
        }
        return;
    }
    if (PlayManager->Playing())
        PlayManager->Pause();
    OpenChosen(QFileInfo(FileName).absoluteFilePath());
}

void TUIManager::OpenChosen(const QString& FileName) {
    const std::string Path = FileName.toStdString();
    try {
        PlayManager->OpenFile(Path);
    } catch (const EMPEG2Error&) {
        // A refused file leaves the window as it was, and the message says why beside the path.
        // The binding's own reasons are translated; the system's come in its language, the
        // library's as it says them.
        const std::string Why = PlayManager->Decoder().WhyNotOpened(Path);
        Message(tr("Unable to open video file: %1 (%2)")
                    .arg(FileName, QCoreApplication::translate(kWordingContext, Why.c_str())),
                QMessageBox::Critical, QMessageBox::Ok);
        return;
    }

    TSliderBar* Slider = FForm->SliderBar;
    Slider->setEnabled(true);
    Slider->SetSelStart(0);
    Slider->SetSelEnd(0);
    FVideoPanel->show();
    Slider->SetMax(PlayManager->Duration());
    Slider->SetPosition(0);
    FFileFPS = PlayManager->FPS();
    FAtEnd = false;
    WriteInfo(false);
    // The previous video's count says nothing about this one.
    WriteStatus(QString());
    FForm->tmiConfig->setEnabled(true);
    EnableCommands(false);
    FForm->setWindowTitle(QFileInfo(FileName).fileName() + QStringLiteral(" — ") +
                          QString::fromUtf8(kApplicationTitle));
    FConvertRec.Path = FSheetRec.Path = FileName.toStdString();
    FConvertRec.Name = VideoName(FConvertRec.Path);
    TConfigManager& C = *ConfigManager;
    if (!C.SizeChosen) {
        C.Width = PlayManager->Width();
        C.Height = HeightForWidth(PlayManager->Width(), PlayManager->AspectRatio());
        C.Constrain = true;
    } else if (C.Constrain) {
        // A size chosen earlier keeps its width and takes this video's shape.
        C.Height = HeightForWidth(C.Width, PlayManager->AspectRatio());
    }
    C.OpenFolder = QFileInfo(FileName).absolutePath();
    StoreSettings();
}

void TUIManager::PlayClick() {
    if (PlayManager->Converting())
        return;
    // At the end of the video Play starts again from the beginning.
    if (FAtEnd)
        StopClick();
    PlayManager->Play();
}

void TUIManager::PauseClick() {
    if (PlayManager->Converting() || !PlayManager->Playing())
        return;
    PlayManager->Pause();
    WritePausedInfo();
}

void TUIManager::StopClick() {
    if (PlayManager->Converting()) {
        StopGenerating();
        return;
    }
    if (!PlayManager->Opened())
        return;
    PlayManager->Stop();
    FAtEnd = false;
    FForm->SliderBar->SetPosition(0);
    WriteInfo(false);
}

void TUIManager::StartPointClick() {
    if (PlayManager->Converting())
        return;
    FForm->SliderBar->SetSelStart(PlayManager->Position());
}

void TUIManager::EndPointClick() {
    if (PlayManager->Converting())
        return;
    TSliderBar* Slider = FForm->SliderBar;
    const int64_t At = PlayManager->Position();
    if (At < Slider->SelStart()) {
        // An end before the start: the two swap, and the range runs between them.
        const int64_t Start = Slider->SelStart();
        Slider->SetSelStart(At);
        Slider->SetSelEnd(Start);
        return;
    }
    Slider->SetSelEnd(At);
}

void TUIManager::ModeClick() {
    FForm->etPieces->setEnabled(FForm->rbPieces->isChecked());
    StoreSettings();
}

void TUIManager::PlayPauseKey() {
    if (PlayManager->Playing())
        PauseClick();
    else
        PlayClick();
}

void TUIManager::SeekBy(int32_t Seconds) {
    if (PlayManager->Converting() || !PlayManager->Opened())
        return;
    // From the frame on screen, to the microsecond; within a step of the end, the last frame.
    const int64_t Target = std::max<int64_t>(0, PlayManager->FrameTime() + Seconds * kMicroseconds);
    const bool WasPlaying = PlayManager->Playing();
    if (!PlayManager->ShowFrameOrLast(Target))
        return;
    ShowReachedFrame(WasPlaying);
}

void TUIManager::FirstFrameKey() {
    if (PlayManager->Converting() || !PlayManager->Opened())
        return;
    const bool WasPlaying = PlayManager->Playing();
    if (PlayManager->ShowFrameAt(0))
        ShowReachedFrame(WasPlaying);
}

void TUIManager::LastFrameKey() {
    if (PlayManager->Converting() || !PlayManager->Opened())
        return;
    if (PlayManager->ShowLastFrame())
        ShowReachedFrame(false);
}

void TUIManager::FullScreenKey() {
    if (FFullScreen) {
        LeaveFullScreen();
        return;
    }
    if (PlayManager->Converting() || !PlayManager->Opened())
        return;
    auto* Screen = new QWidget(FForm, Qt::Window);
    Screen->setObjectName(QStringLiteral("FullScreen"));
    Screen->setWindowTitle(FForm->windowTitle());
    Screen->setAttribute(Qt::WA_DeleteOnClose);
    Screen->setStyleSheet(QStringLiteral("background: black;"));
    // The window's keys work here as in the window; Esc comes back (see eventFilter; Stop
    // Generating has nothing to stop: no job starts from here).
    for (QAction* Key : FForm->actions())
        if (Key != FForm->tmiStopJob)
            Screen->addAction(Key);
    // Sized by the window manager, and perhaps closed by it (see eventFilter).
    Screen->installEventFilter(this);
    FFullScreen = Screen;
    // On the window's screen, at its size from the start, whenever the window manager makes
    // it full screen.
    Screen->setGeometry(FForm->screen()->geometry());
    PlacePanel(Screen, Screen->rect());
    Screen->showFullScreen();
    Screen->activateWindow();
}

void TUIManager::LeaveFullScreen() {
    if (!FFullScreen)
        return;
    QWidget* Screen = FFullScreen;
    FFullScreen = nullptr;
    PlacePanel(FForm, FForm->blView->geometry());
    Screen->removeEventFilter(this);
    Screen->close();
    FForm->activateWindow();
}

void TUIManager::PlacePanel(QWidget* Owner, const QRect& Bounds) {
    const bool Shown = FVideoPanel->isVisibleTo(FForm) || FVideoPanel->parentWidget() != FForm;
    FVideoPanel->setParent(Owner);
    FVideoPanel->setGeometry(Bounds);
    FVideoPanel->setVisible(Shown);
    // A new size starts on black: paused, the frame on screen is drawn again; playing, the
    // next frame comes anyway.
    if (PlayManager && PlayManager->Opened() && !PlayManager->Playing() && !PlayManager->Converting())
        PlayManager->ShowFrameAt(PlayManager->FrameTime());
}

void TUIManager::ShowReachedFrame(bool PlayOn) {
    // At the last frame playback has nothing left to play: it stays paused there, and Play
    // starts again from the beginning, as after playing to the end.
    FAtEnd = PlayManager->AtLastFrame();
    TSliderBar* Slider = FForm->SliderBar;
    Slider->SetPosition(FAtEnd ? Slider->Max() : PlayManager->Position());
    if (PlayOn && !FAtEnd) {
        PlayManager->Play();
        WriteInfo(true);
    } else {
        WritePausedInfo();
    }
}

void TUIManager::StepKey(bool Forward) {
    if (PlayManager->Converting() || !PlayManager->Opened() || FStepPending)
        return;
    // During playback the step pauses first, from the frame on screen.
    if (PlayManager->Playing())
        PauseClick();
    FStepPending = true;
    QTimer::singleShot(0, this, [this, Forward] {
        FStepPending = false;
        if (PlayManager->Converting() || !PlayManager->Opened() || PlayManager->Playing())
            return;
        if (Forward)
            PlayManager->StepForward();
        else
            PlayManager->StepBack();
        ShowReachedFrame(false);
    });
}

void TUIManager::SaveFrameClick() {
    if (PlayManager->Converting() || !PlayManager->Opened())
        return;
    const bool WasPlaying = PlayManager->Playing();
    const int64_t Time = PlayManager->FrameTime();
    std::string Written, FileName; // the video's folder and the file in it
    std::string Error;
    const bool Read =
        PlayManager->TakeShownFrame([&](const TDecoderFrame& Frame, const TDecoderFileInfo& Info) {
            try {
                const std::string Folder = FForm->etSaveFolder->text().toStdString();
                const std::string Name = ClaimedName(Folder, TOutputKind::Thumbnails);
                // The video's folder, made when missing and never through a link; the file is
                // written through it.
                const TOutputFolder Made(SaveFolderOrDefault(Folder), Name, TOutputFolder::TOpen::Make);
                FileName = FrameFileName(Name, Time);
                SaveFrame(Frame, Info, PlayManager->AspectRatio(), Made, FileName);
                Written = Made.Path();
            } catch (const std::exception& E) {
                Error = E.what();
            }
        });
    if (!Read)
        Error = PlayManager->LastError().empty() ? std::string("the frame cannot be read again")
                                                 : PlayManager->LastError();
    if (Error.empty()) {
        WriteStatus(FittedPathLine(*FForm->lbConvertInfo, tr("Saved: %1"), QString::fromStdString(Written),
                                   QString::fromStdString(FileName)),
                    QString::fromStdString(Written + "/" + FileName));
    } else
        Message(tr("The frame was not saved: %1").arg(QString::fromStdString(Error)), QMessageBox::Warning,
                QMessageBox::Ok);
    if (WasPlaying)
        PlayManager->Play();
    else
        WritePausedInfo();
}

void TUIManager::WriteStatus(const QString& Text, const QString& Whole) {
    FForm->lbConvertInfo->setText(Text);
    FForm->lbConvertInfo->setToolTip(Whole);
}

void TUIManager::WritePausedInfo() {
    const TPlayManager& P = *PlayManager;
    const int64_t Time = P.FrameTime();
    const long long Millis = static_cast<long long>(std::max<int64_t>(0, Time) / 1000);
    const long long Frame = FFileFPS > 0 ? std::llround(static_cast<double>(Time) * FFileFPS / 1e6) : 0;
    const QString Clock = QString::asprintf("%lld:%02lld:%02lld.%03lld", Millis / 3600000,
                                            Millis / 60000 % 60, Millis / 1000 % 60, Millis % 1000);
    // The whole seconds give way to the precise time and the frame's number.
    FForm->lbInfo->setText(InfoLine(FFileFPS, P.Width(), P.Height(), P.DurationHours(), P.DurationMinutes(),
                                    P.DurationSeconds(), tr("%1 \u00b7 frame %2").arg(Clock).arg(Frame)));
}

void TUIManager::StopGenerating() {
    if (!PlayManager->Converting())
        return;
    // The job ends after the file it is writing; what it wrote stays, and the count
    // includes that last file.
    FLastProgress = PlayManager->StopConvert();
    WriteStatus(Progress(tr("Stopped: %1/%2"), FLastProgress));
    JobEnded();
    OpenPendingVideo();
}

void TUIManager::OpenPendingVideo() {
    // After the job's last report has returned, when the manager no longer counts it as
    // running; a refused video goes to the general error report.
    QTimer::singleShot(0, this, [this] {
        if (FPendingVideo.isEmpty() || PlayManager->Converting())
            return;
        const QString Video = FPendingVideo;
        FPendingVideo.clear();
        OpenVideo(Video);
    });
}

void TUIManager::JobEnded() {
    // What they say no longer holds: the video opens now, and quitting stops nothing.
    for (QMessageBox* Box : {FBusyBox.data(), FQuitBox.data()})
        if (Box)
            Box->done(QMessageBox::Cancel);
    FNameHold.Release();
    FForm->SliderBar->setEnabled(true);
    EnableCommands(false);
}

void TUIManager::SaveFolderClick() {
    const QString Folder = ChooseFolder();
    if (Folder.isEmpty())
        return;
    ShowSaveFolder(Folder);
    ConfigManager->SaveFolder = Folder;
    StoreSettings();
}

bool TUIManager::ReadyForAJob() {
    // Nothing while a job runs, a word when no video is open.
    if (PlayManager->Converting())
        return false;
    if (!PlayManager->Opened()) {
        Message(tr(kNoVideo), QMessageBox::Information, QMessageBox::Ok);
        return false;
    }
    return true;
}

void TUIManager::GenerateClick() {
    if (!ReadyForAJob())
        return;
    TSliderBar* Slider = FForm->SliderBar;
    if (FForm->rbStartEnd->isChecked() && Slider->SelStart() >= Slider->SelEnd()) {
        Message(tr(kNoRange), QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    // Playback stops before anything of the job is read.
    PauseClick();
    const TThumbMode Mode = ChosenMode();
    const int32_t Pieces = FForm->etPieces->asInteger();
    // A job of no pieces could only fail.
    if (Mode == TThumbMode::Pieces && Pieces < 1) {
        Message(tr(kNoPieces), QMessageBox::NoIcon, QMessageBox::Ok);
        return;
    }
    StoreSettings();
    FLastProgress = {0, -1};
    FConvertRec.Width = ConfigManager->Width;
    FConvertRec.Height = ConfigManager->Height;
    FConvertRec.Mode = Mode;
    FConvertRec.StartPos = Slider->SelStart();
    FConvertRec.EndPos = Slider->SelEnd();
    FConvertRec.Pieces = Pieces;
    FConvertRec.Folder = FForm->etSaveFolder->text().toStdString();
    FConvertRec.Name = ClaimedName(FConvertRec.Folder, TOutputKind::Thumbnails);
    Slider->setEnabled(false);
    FSheetJob = false;
    PlayManager->StartConvert(FConvertRec);
    EnableCommands(true);
}

std::string TUIManager::ClaimedName(const std::string& Folder, TOutputKind Kind) {
    // Where the folder cannot be claimed (none chosen and no home, a link in the way, no
    // right to write), the job meets the same trouble and says so in its error report.
    const std::string Base = VideoName(FSheetRec.Path);
    // A hold of an earlier job would keep this one from its own name.
    FNameHold.Release();
    try {
        TClaimedName Claimed = ClaimOutputName(SaveFolderOrDefault(Folder), Base, FSheetRec.Path, Kind);
        FNameHold = std::move(Claimed.Hold);
        return Claimed.Name;
    } catch (const std::exception&) {
        return Base;
    }
}

void TUIManager::SheetClick() {
    // Refused as GENERATE is.
    if (!ReadyForAJob())
        return;
    TsheetDlg Dialog(FForm);
    Dialog.Settings = ConfigManager->Sheet;
    Dialog.exec();
    if (!Dialog.Accepted)
        return;
    ConfigManager->Sheet = Dialog.Settings;
    StoreSettings();
    PauseClick();
    FSheetRec.Columns = Dialog.Settings.Columns;
    FSheetRec.Rows = Dialog.Settings.Rows;
    FSheetRec.Width = Dialog.Settings.Width;
    FSheetRec.PreferClear = Dialog.Settings.PreferClear;
    FSheetRec.Folder = FForm->etSaveFolder->text().toStdString();
    FSheetRec.Name = ClaimedName(FSheetRec.Folder, TOutputKind::Sheet);
    FForm->SliderBar->setEnabled(false);
    FSheetJob = true;
    PlayManager->StartSheet(FSheetRec);
    EnableCommands(true);
}

void TUIManager::SliderMouseDown() {
    if (!PlayManager->Converting() && FForm->SliderBar->MouseOnPointer() && PlayManager->Playing()) {
        FResumePlay = true;
        PauseClick();
    }
}

void TUIManager::SliderMouseUp() {
    TSliderBar* Slider = FForm->SliderBar;
    if (PlayManager->Converting() || !Slider->MouseOnPointer())
        return;
    if (Slider->Position() == Slider->Max()) {
        // Released at the very end: the last frame, where a seek would find none.
        FResumePlay = false;
        LastFrameKey();
        return;
    }
    PlayManager->Seek(static_cast<int32_t>(Slider->Position()));
    FAtEnd = false;
    WriteInfo(true);
    if (FResumePlay)
        PlayManager->Play();
    FResumePlay = false;
}

void TUIManager::SliderKeyMove() {
    TSliderBar* Slider = FForm->SliderBar;
    if (PlayManager->Converting() || !PlayManager->Opened())
        return;
    // At the very end, the last frame, as a release there.
    if (Slider->Position() == Slider->Max()) {
        LastFrameKey();
        return;
    }
    PlayManager->Seek(static_cast<int32_t>(Slider->Position()));
    FAtEnd = false;
    WriteInfo(true);
}

void TUIManager::PlayPosition(int64_t Position) {
    WriteInfo(true);
    FForm->SliderBar->SetPosition(Position);
}

void TUIManager::PlayEnd() {
    FForm->SliderBar->SetPosition(FForm->SliderBar->Max());
    FAtEnd = true;
    WriteInfoAtEnd();
}

void TUIManager::PlayError() {
    const QString Error = QString::fromStdString(PlayManager->LastError());
    AfterReport([this, Error] { Message(Error, QMessageBox::Critical, QMessageBox::Ok); });
}

void TUIManager::ConvertProgress(const TJobReport& Report) {
    FLastProgress = Report.Progress;
    WriteStatus(Progress(tr("Processing: %1/%2"), Report.Progress));
}

void TUIManager::ConvertDone(const TJobReport& Report) {
    WriteStatus(Progress(tr("Done: %1/%2"), Report.Progress));
    JobEnded();
    // What the dialog says is taken now; it shows once the report has returned, so that the
    // job ends while a person reads it.
    const QString Output = QString::fromStdString(Report.Output);
    const bool Sheet = FSheetJob;
    QString Shortfall;
    if (!Sheet) {
        const int64_t Written = Report.Progress.Current + 1;
        // A range whose end mark stands at the end of the video takes what there is.
        const bool ToTheEnd = FConvertRec.Range() && FConvertRec.EndPos >= PlayManager->Duration();
        const TWording Wording = ShortfallWording(FConvertRec, ToTheEnd, PlayManager->Duration(), FFileFPS,
                                                  Written, Report.Progress.Repeats);
        if (!Wording.Empty())
            Shortfall = TranslatedWording(Wording) + QLatin1Char('.');
    }
    AfterReport([this, Output, Sheet, Shortfall] {
        TcompleteDlg Dialog(FForm);
        // The sheet's file, opened by the link, or the thumbnails' folder: where the job wrote.
        Dialog.lbPath->setText(Output);
        if (Sheet)
            Dialog.ShowSheet();
        else if (!Shortfall.isEmpty())
            Dialog.ShowShortfall(Shortfall);
        // Owned by the window, so that a video handed over meanwhile cannot raise the window
        // over it.
        Dialog.setParent(FForm, Dialog.windowFlags());
        Dialog.exec();
        OpenPendingVideo();
    });
}

void TUIManager::AfterReport(std::function<void()> React) {
    QTimer::singleShot(0, this, std::move(React));
}

void TUIManager::ConvertError(const TJobReport& Report) {
    WriteStatus(Progress(tr("Failed: %1/%2"), Report.Progress));
    JobEnded();
    const QString Error = QString::fromStdString(Report.Error);
    AfterReport([this, Error] {
        Message(Error, QMessageBox::Critical, QMessageBox::Ok);
        OpenPendingVideo();
    });
}

void TUIManager::ConfigClick() {
    TconfigDlg Dialog(FForm);
    Dialog.ThumbWidth = ConfigManager->Width;
    Dialog.ThumbHeight = ConfigManager->Height;
    if (PlayManager->Opened())
        Dialog.AspectRatio = PlayManager->AspectRatio();
    Dialog.ckbConstrain->setChecked(ConfigManager->Constrain);
    Dialog.exec();
    if (Dialog.Accepted) {
        ConfigManager->Width = Dialog.etWidth->asInteger();
        ConfigManager->Height = Dialog.etHeight->asInteger();
        ConfigManager->Constrain = Dialog.ckbConstrain->isChecked();
        ConfigManager->SizeChosen = true;
        StoreSettings();
    }
}

void TUIManager::AboutClick() {
    TaboutDlg Dialog(FForm);
    Dialog.setWindowTitle(tr("About %1").arg(QString::fromUtf8(kApplicationTitle)));
    Dialog.exec();
}

void TUIManager::HelpClick() {
    OpenLink(FForm, std::string(kWebAddress) + kHelpPath);
}

void TUIManager::SupportClick() {
    OpenLink(FForm, std::string(kWebAddress) + kSupportPath);
}

void TUIManager::ExitClick() {
    FForm->close();
}

void TUIManager::FormClose(TCloseAction& Action) {
    if (!PlayManager || !PlayManager->Converting()) {
        StoreSettings();
        return;
    }
    QMessageBox Box(QMessageBox::Question, QString::fromUtf8(kApplicationTitle), tr(kExitQuestion),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, FForm);
    // Enter does not throw the job away.
    Box.setDefaultButton(QMessageBox::No);
    // A job that ends while the question is open takes the question with it, and the window
    // stays with the job's result; quitting then asks nothing.
    FQuitBox = &Box;
    if (Box.exec() == QMessageBox::Yes) {
        PlayManager->StopConvert();
        StoreSettings();
    } else {
        Action = TCloseAction::caNone;
    }
}
