// TmainDlg: the main window's form. It creates every control of the window at its fixed
// place, with its caption, hint, font and start state, and the artwork behind them; it
// decides nothing. The controller reaches the controls through the public members below
// (named as the rest of the program calls them) and connects their events itself: the
// push buttons' clicked(), the image buttons' and the slider's std::function events, the
// menu items' triggered() and the radio buttons' clicked().
//
// The controller's life is tied to the form's through two hooks: OnCreate runs at the end
// of construction, when every control exists, and OnDestroy at the start of destruction,
// while they all still exist. OnClose lets the controller refuse a close request;
// OnDropFile receives the one local file dropped on the window.
#pragma once

#include <QCoreApplication>
#include <QString>
#include <QWidget>

#include <functional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QRadioButton;
class TImageButton;
class TMyFlatEdit;
class TSliderBar;

// What becomes of a window asked to close: caNone keeps it open, caHide closes it.
enum class TCloseAction { caNone, caHide };

class TmainDlg : public QWidget {
    Q_DECLARE_TR_FUNCTIONS(TmainDlg)

public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;
    using TCloseEvent = std::function<void(QObject* Sender, TCloseAction& Action)>;

    static constexpr int kClientWidth = 792;
    static constexpr int kClientHeight = 518;

    explicit TmainDlg(TNotifyEvent OnCreate = {}, TNotifyEvent OnDestroy = {}, QWidget* Parent = nullptr);
    ~TmainDlg() override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    // Asked on every close request (close box, Alt+F4, close()); Action starts as caHide.
    TCloseEvent OnClose;
    // A drop of exactly one local file (not a folder): its full path.
    std::function<void(const QString& FileName)> OnDropFile;

    // The controls in creation order, which is also their drawing order. All are owned by
    // the form.
    QLabel* Image1 = nullptr; // header band
    QLabel* Image2 = nullptr; // footer band
    QLabel* Image4 = nullptr; // monitor backdrop
    QFrame* blView = nullptr; // where the video panel goes; never shown
    QLabel* Image5 = nullptr; // header artwork
    TSliderBar* SliderBar = nullptr;
    QLabel* lbVersion = nullptr;
    QLabel* lbInfo = nullptr;
    QLabel* lbConvertInfo = nullptr;
    TImageButton* btnPlay = nullptr;
    TImageButton* btnPause = nullptr;
    TImageButton* btnStop = nullptr;
    TImageButton* btnStartPoint = nullptr;
    TImageButton* btnEndPoint = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* TBXDock1 = nullptr;
    QMenuBar* TBXToolbar1 = nullptr;
    QMenu* TBXSubmenuItem1 = nullptr; // Action
    QMenu* TBXSubmenuItem4 = nullptr; // Action > File
    QAction* tmiOpen = nullptr;
    QMenu* TBXSubmenuItem3 = nullptr; // Action > Playback
    QAction* tmiPlay = nullptr;
    QAction* tmiPause = nullptr;
    QAction* tmiStop = nullptr;
    // The keyboard's ways to play: Space, Left and Right, I and O.
    QAction* tmiPlayPause = nullptr;
    QAction* tmiBack = nullptr;
    QAction* tmiForward = nullptr;
    QAction* tmiFullScreen = nullptr;    // F
    QAction* tmiFirstFrame = nullptr;    // Home
    QAction* tmiLastFrame = nullptr;     // End
    QAction* tmiNextFrame = nullptr;     // .
    QAction* tmiPreviousFrame = nullptr; // ,
    QAction* tmiStartMark = nullptr;
    QAction* tmiEndMark = nullptr;
    QAction* tmiConfig = nullptr;
    QAction* tmiSheet = nullptr;     // Make a Contact Sheet…
    QAction* tmiSaveFrame = nullptr; // Ctrl+S
    QAction* tmiStopJob = nullptr;   // Esc
    QAction* tmiExit = nullptr;
    QMenuBar* TBXToolbar2 = nullptr;
    QMenu* TBXSubmenuItem2 = nullptr; // Help
    QAction* tmiHelp = nullptr;
    QAction* tmiSupport = nullptr;
    QAction* TBXSeparatorItem1 = nullptr;
    QAction* tmiAbout = nullptr;
    QPushButton* btnOpen = nullptr;
    QPushButton* btnSaveFolder = nullptr;
    QPushButton* btnGenerate = nullptr;
    TMyFlatEdit* etSaveFolder = nullptr;
    // The save-folder field's own action (its small cross and its context menu): back to
    // the global save folder. Shown while a folder is chosen.
    QAction* tmiDefaultFolder = nullptr;
    QRadioButton* rbWhole = nullptr;
    QRadioButton* rbPieces = nullptr;
    TMyFlatEdit* etPieces = nullptr;
    QRadioButton* rbStartEnd = nullptr;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    // Enter and Return press the focused button, which the buttons leave to the window.
    void keyPressEvent(QKeyEvent* Event) override;

private:
    void CreateMenuBar();
    void FormCreate();
    void FormDestroy();
};
