// TUIManager is the controller of the main window: the form only creates and places the
// controls, and this class makes them work. It owns the settings holder, the video panel
// and the play manager; it connects every button, menu item, radio button and the slider
// to its own handlers, turns each user command into play-manager calls (guarded by the
// manager's Opened, Playing and Converting flags), and turns the manager's notifications
// into the info line, the progress line and the dialogs.
//
// Everything runs on the main thread. The workers' notifications arrive through their
// synchronous report, so a worker waits while a handler here shows a modal dialog.
#pragma once

#include "engine/rounding.h"
#include "image/outputfolder.h"
#include "jobs/outputs.h"
#include "jobs/thumbnailjob.h"
#include "mainForm.h"
#include "playback/playManager.h"
#include "settings/configManager.h"
#include "windowPlacement.h"

#include <QCoreApplication>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QMessageBox;
class TSDLPanel;

// The filter of the file-open dialog: the videos the program opens (VideoExtensions), then
// every file.
QString OpenDialogFilter();

// The info line: frame rate, picture size, duration and, when Position is given, the
// running time stamp (00:00:00 otherwise). Hours print at least two digits.
QString InfoLine(double FPS, int32_t Width, int32_t Height, int32_t DurationHours, int32_t DurationMinutes,
                 int32_t DurationSeconds, const int64_t* Position);
// The same with the timestamp given as text.
QString InfoLine(double FPS, int32_t Width, int32_t Height, int32_t DurationHours, int32_t DurationMinutes,
                 int32_t DurationSeconds, const QString& Stamp);

class TUIManager : public QObject {
    Q_DECLARE_TR_FUNCTIONS(TUIManager)

public:
    // Creates the settings holder, loaded from SettingsFile (empty: nothing is loaded or
    // stored) and, for the sheet's values of earlier versions, EarlierSettingsFile (see
    // TConfigManager::Load); Initialize does the rest.
    explicit TUIManager(TmainDlg* Form, const QString& SettingsFile = QString(),
                        const QString& EarlierSettingsFile = QString());
    // Frees the settings holder, the play manager (its threads stopped) and the panel.
    ~TUIManager() override;

    void Initialize();

    // Opens a video that came from outside the open dialog (the command line, a second
    // start, a drop) as the Open button would: playback paused first, refused with a
    // message while a job runs, the usual message when the file cannot be read.
    void OpenVideo(const QString& FileName);
    // Puts the window in front of the user's other windows.
    void BringToFront();
    // Centres the window in its screen's work area by its outer size, and again once the
    // window manager has put its frame around it.
    void CenterOnWorkArea();

    // How the user picks a video and a folder; tests put their own choice here.
    std::function<QString()> ChooseVideo;
    std::function<QString()> ChooseFolder;

    std::unique_ptr<TConfigManager> ConfigManager;
    std::unique_ptr<TPlayManager> PlayManager;
    TSDLPanel* FVideoPanel = nullptr; // owned
    TConvertRec FConvertRec;

protected:
    // Keeps the window within reach, its title bar on some screen, wherever it is moved
    // (where the platform lets a program place its window).
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    // The handlers of the controls, the menu and the keyboard.
    void OpenClick();
    void PlayClick();
    void PauseClick();
    void StopClick();
    void StartPointClick();
    void EndPointClick();
    void ModeClick();
    void SaveFolderClick();
    // Whether a job may start now; says why not when no video is open.
    bool ReadyForAJob();
    void GenerateClick();
    void ConfigClick();
    void SheetClick();
    void AboutClick();
    void HelpClick();
    void SupportClick();
    void ExitClick();
    void FormClose(TCloseAction& Action);
    void SliderMouseDown();
    void SliderMouseUp();
    // A key moved the slider: a seek, as a release of the pointer there.
    void SliderKeyMove();
    // The keyboard's own commands: Space, Left and Right (5 s from the frame on screen, the
    // last frame within 5 s of the end), Home and End (the first and the last frame), Esc.
    void PlayPauseKey();
    void SeekBy(int32_t Seconds);
    void FirstFrameKey();
    void LastFrameKey();
    // The frame just reached on the slider and the info line; PlayOn: playback goes on from
    // it (not from the last frame).
    void ShowReachedFrame(bool PlayOn);
    // F and a double-click on the picture: the video alone on the whole screen, at the largest
    // size that keeps its shape, every player key working there; F or Esc comes back.
    void FullScreenKey();
    void LeaveFullScreen();
    // The panel in Owner at Bounds, with the frame on screen drawn again at its new size.
    void PlacePanel(QWidget* Owner, const QRect& Bounds);
    // . and ,: the next or the previous frame (pausing first during playback). Held down, a
    // key repeats at the keyboard's rate, but a step waits for the one before it: presses
    // that came meanwhile make one step, not a pile of them.
    void StepKey(bool Forward);
    // Ctrl+S: the frame on screen, at the video's display size, as a PNG file in the video's
    // folder of the save folder; the status line says where it went.
    void SaveFrameClick();
    void StopGenerating();

    // The play manager's notifications. They run inside a worker's report, which waits for
    // them: what waits on a person (a dialog, a message) is posted with AfterReport and runs
    // once the report has returned.
    void PlayPosition(int64_t Position);
    void PlayEnd();
    void PlayError();
    void ConvertProgress(const TJobReport& Report);
    void ConvertDone(const TJobReport& Report);
    void ConvertError(const TJobReport& Report);
    // Runs React from the window's event loop, after the report being served has returned.
    void AfterReport(std::function<void()> React);

    // The name the open video's outputs of Kind are claimed under in Folder (the default save
    // folder when empty), held in FNameHold until the job ends; the plain name when the
    // folder cannot be claimed.
    std::string ClaimedName(const std::string& Folder, TOutputKind Kind);
    void AssignEvents();
    // Opens FileName once the dialog or the caller has chosen it.
    void OpenChosen(const QString& FileName);
    // The remembered values into the controls, and back into the store.
    void ShowSettings();
    void StoreSettings();
    // The mode the radio buttons show.
    TThumbMode ChosenMode() const;
    // Folder (as chosen) into the save-folder field; empty: the global save folder.
    void ShowSaveFolder(const QString& Folder);
    // Back to the global save folder.
    void DefaultFolderClick();
    // Says Text (when not empty) to the user once in this run, in a box that waits for
    // nobody, once the window is up: what the settings store reports, a remembered folder
    // that has gone.
    void Report(const QString& Text);
    void ShowReports();
    // The menu's commands that can do something now: playback and marks with a video and
    // no job, Stop Generating during a job.
    void EnableCommands(bool JobRunning);
    // Opens the video handed over during the job, once the job has ended.
    void OpenPendingVideo();
    // The job has ended one way or another: the slider is free.
    void JobEnded();
    void WriteInfo(bool Running);
    // While paused: the position to the millisecond and the frame's number.
    void WritePausedInfo();
    void WriteInfoAtEnd();
    // The status line under GENERATE; Whole, in its tip, is what a shortened Text stands for.
    void WriteStatus(const QString& Text, const QString& Whole = QString());
    // A message box owned by the main window with the application's title.
    int Message(const QString& Text, int Icon, int Buttons) const;

    TSheetRec FSheetRec;    // the last contact sheet; Path is the open video
    bool FSheetJob = false; // the running or last job is a sheet
    // The running job's name, kept from another run of the same video until the job ends.
    TNameHold FNameHold;
    bool FResumePlay = false;
    // The last progress the running job reported.
    TConvertProgress FLastProgress{0, -1};
    // The open video's own frame rate: the info line shows it whether playing or not.
    double FFileFPS = 0;
    // Playback reached the end of the video and nothing has moved the position since.
    bool FAtEnd = false;
    // A frame step is on its way; key presses until it is done add none.
    bool FStepPending = false;
    // The last video handed over while a job ran.
    QString FPendingVideo;
    TmainDlg* FForm;
    QString FSettingsFile;
    // The save-folder field's hint while it shows the global save folder.
    QString FSaveFolderHint;
    // Every text Report was given, and those not shown yet.
    QStringList FReported, FUnshown;
    QPointer<QMessageBox> FReportBox;
    // The boxes that ask or tell something about the running job, open until it ends: the
    // notice that a handed-over video waits, and the question whether to quit.
    QPointer<QMessageBox> FBusyBox, FQuitBox;
    // The full-screen window while the video is shown there (owned by the form).
    QPointer<QWidget> FFullScreen;
    bool FClampMoves = false;
    bool FCenterPending = false;
};
