// Trovelle's entry: one instance per display at a time, a splash window for at least a second, then
// the main window, whose creation builds the controller and with it the whole engine.
// `trovelle VIDEO` opens the video once the window is up; a second start hands its video
// (or only the wish to see the window) to the running instance over a local socket and
// ends at once.
#include "application.h"
#include "artwork.h"
#include "commandLine.h"
#include "engine/qtdispatcher.h"
#include "languages.h"
#include "mainForm.h"
#include "platform/appinfo.h"
#include "platform/handover.h"
#include "platform/platform.h"
#include "splashForm.h"
#include "uiManager.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFont>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace {

// The single-instance lock (NAME.lock, held by the running instance for the life of its
// process) and the hand-over socket (NAME.socket) in the private runtime folder, NAME being
// this program's name and the display its window goes to: one instance per display.
constexpr const char* kProgramName = "trovelle";
// How long a later start keeps trying to reach an instance that may still be starting.
constexpr int kHandOverMilliseconds = 10000;
constexpr int kSplashMilliseconds = 1000;

// Lets the splash paint and stay responsive until it has been up for the given time.
void KeepSplashUp(const QElapsedTimer& Shown) {
    const qint64 Left = kSplashMilliseconds - Shown.elapsed();
    if (Left <= 0)
        return;
    QEventLoop Loop;
    QTimer::singleShot(static_cast<int>(Left), &Loop, &QEventLoop::quit);
    Loop.exec();
}

QStringList Arguments(int argc, char** argv) {
    QStringList List;
    for (int I = 0; I < argc; ++I)
        List << QString::fromLocal8Bit(argv[I]);
    return List;
}

int Refuse(const TCommandLine& Line) {
    std::fprintf(stderr, "trovelle: %s\nTry 'trovelle --help'.\n", qPrintable(Line.Error));
    return 2;
}

// A later start: the running instance gets the video, or only raises its window. It may
// still be starting, between taking the lock and listening, so a refused connection is
// tried again for a while. The exit code when the start ends here; none when nobody took
// the hand-over, and the start then opens a window of its own.
std::optional<int> HandOver(int argc, char** argv, const std::string& Instance) {
    QCoreApplication Core(argc, argv);
    const TCommandLine Line = ParseCommandLine(Core.arguments());
    if (Line.Action == TCommandLine::TAction::Error)
        return Refuse(Line);
    QElapsedTimer Trying;
    Trying.start();
    for (;;) {
        const THandOver Answer = HandOverToRunningInstance(Instance, Line.Video);
        if (Answer == THandOver::Taken)
            return 0;
        if (Answer == THandOver::Refused) {
            std::fputs("trovelle: the running window does not open a name with a control character\n",
                       stderr);
            return 2;
        }
        if (Trying.elapsed() >= kHandOverMilliseconds) {
            std::fputs("trovelle: the running instance did not answer; opening a window of its own\n",
                       stderr);
            return std::nullopt;
        }
        QEventLoop Wait;
        QTimer::singleShot(100, &Wait, &QEventLoop::quit);
        Wait.exec();
    }
}

// What Qt says while it starts, held back until it has started. When it cannot reach the
// display it warns, then ends the program with a fatal message, an abort and advice to
// reinstall; one line saying what is wrong takes the place of all that.
QStringList StartMessages;

void HoldStartMessage(QtMsgType Type, const QMessageLogContext& Context, const QString& Message) {
    if (Type != QtFatalMsg) {
        StartMessages << qFormatLogMessage(Type, Context, Message);
        return;
    }
    QStringList Set;
    for (const char* Named : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        if (!qgetenv(Named).isEmpty())
            Set << QString::fromLatin1(Named) + u'=' + QString::fromLocal8Bit(qgetenv(Named));
    std::fprintf(
        stderr, "%s\n",
        qPrintable(NoDisplayLine(QStringLiteral("no display could be reached (%1)").arg(Set.join(u", ")))));
    std::_Exit(1);
}

std::unique_ptr<TApplication> StartApplication(int& argc, char** argv) {
    const QtMessageHandler Previous = qInstallMessageHandler(HoldStartMessage);
    auto App = std::make_unique<TApplication>(argc, argv);
    qInstallMessageHandler(Previous);
    for (const QString& Message : std::exchange(StartMessages, {}))
        std::fprintf(stderr, "%s\n", qPrintable(Message));
    return App;
}

} // namespace

int main(int argc, char** argv) {
    // Answered on the terminal, without a display; a command line not understood is refused
    // before anything else.
    const TCommandLine Asked = ParseCommandLine(Arguments(argc, argv));
    switch (Asked.Action) {
    case TCommandLine::TAction::Error:
        return Refuse(Asked);
    case TCommandLine::TAction::Help:
        std::fputs(qPrintable(HelpText()), stdout);
        return 0;
    case TCommandLine::TAction::Version:
        std::fputs(VersionText("trovelle").c_str(), stdout);
        return 0;
    default:
        break;
    }

    // A second instance hands over what it was given and ends; it shows nothing. Without a
    // lock nobody else can reach, each start runs on its own.
    const QString Display =
        WindowDisplay(Arguments(argc, argv), [](const char* Name) { return qgetenv(Name); });
    const std::string Instance = InstanceName(kProgramName, Display.toStdString());
    std::string LockError;
    const TInstanceLock Lock = AcquireSingleInstance(Instance, LockError);
    if (Lock == TInstanceLock::Held) {
        if (const std::optional<int> Ended = HandOver(argc, argv, Instance))
            return *Ended;
    } else if (Lock == TInstanceLock::Unavailable) {
        std::fprintf(stderr, "trovelle: no private runtime folder (%s); this window runs on its own\n",
                     LockError.c_str());
    }

    const QString NoDisplay =
        MissingDisplay(Arguments(argc, argv), [](const char* Name) { return qgetenv(Name); });
    if (!NoDisplay.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(NoDisplayLine(NoDisplay)));
        return 1;
    }
    const std::unique_ptr<TApplication> Started = StartApplication(argc, argv);
    TApplication& App = *Started;
    // The user's language, before the first window.
    InstallTranslations(App);
    const TCommandLine Line = ParseCommandLine(App.arguments());
    if (Line.Action == TCommandLine::TAction::Error)
        return Refuse(Line);
    THandOverServer HandOverServer(Instance);

    App.setApplicationName(QString::fromUtf8(kApplicationTitle));
    App.setApplicationVersion(QString::fromUtf8(kApplicationVersion));
    // Wayland compositors match the window to the menu entry (and its icon) by this name.
    App.setDesktopFileName(QStringLiteral(TROVELLE_APP_ID));
    App.setWindowIcon(ApplicationIcon());
    // The forms ask for "Trebuchet MS", which Linux desktops do not have.
    QFont::insertSubstitution(QStringLiteral("Trebuchet MS"), QStringLiteral("Open Sans"));
    // Workers' reports reach this thread as posted events.
    TQtDispatcher Dispatcher;

    auto Splash = std::make_unique<TsplashDlg>();
    QElapsedTimer Shown;
    Shown.start();
    Splash->show();
    KeepSplashUp(Shown);

    std::unique_ptr<TUIManager> Controller;
    std::unique_ptr<TmainDlg> Main;
    try {
        Main = std::make_unique<TmainDlg>(
            [&](QObject* Sender) {
                Controller = std::make_unique<TUIManager>(static_cast<TmainDlg*>(Sender),
                                                          QString::fromStdString(SettingsFile()),
                                                          QString::fromStdString(EarlierSettingsFile()));
                try {
                    Controller->Initialize();
                } catch (...) {
                    Controller.reset(); // while the form it points to still exists
                    throw;
                }
            },
            [&](QObject*) { Controller.reset(); });
    } catch (const std::exception& E) {
        // Without its engine (the decoding library missing, say) the window cannot work.
        Splash.reset();
        TApplication::ShowException(QString::fromUtf8(E.what()));
        return 1;
    } catch (...) {
        Splash.reset();
        TApplication::ShowException(TApplication::tr("Unknown error"));
        return 1;
    }

    Controller->CenterOnWorkArea();
    Main->show();
    Main->raise();
    Main->repaint();
    Splash.reset();

    // From now on a later start's video goes straight to the window, and a start without
    // one brings the window to the front. Until now such a start kept trying to connect.
    // A video that cannot be read gets the message the Open button gives (the general
    // error report), here as there.
    // A burst of videos that cannot be read shows one message, not a stack of them.
    auto Open = [&Controller, Showing = std::make_shared<bool>(false)](const QString& Video) {
        try {
            Controller->OpenVideo(Video);
        } catch (const std::exception& E) {
            if (*Showing)
                return;
            *Showing = true;
            TApplication::ShowException(QString::fromUtf8(E.what()));
            *Showing = false;
        }
    };
    HandOverServer.OnHandOver = [&Controller, Open](const QString& Video) {
        if (!Controller)
            return;
        Controller->BringToFront();
        if (!Video.isEmpty())
            Open(Video);
    };
    if (Lock == TInstanceLock::Acquired)
        HandOverServer.Listen();
    // Once the event loop runs, exactly as if it had been chosen in the open dialog.
    if (!Line.Video.isEmpty())
        QTimer::singleShot(0, Controller.get(), [Open, Video = Line.Video] { Open(Video); });

    const int Result = App.exec();
    Main.reset();
    return Result;
}
