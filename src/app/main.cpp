// Trovelle's entry: one instance at a time, a splash window for at least a second, then
// the main window, whose creation builds the controller and with it the whole engine.
#include "appinfo.h"
#include "application.h"
#include "artwork.h"
#include "mainForm.h"
#include "platform.h"
#include "qtdispatcher.h"
#include "splashForm.h"
#include "uiManager.h"
#include "windowPlacement.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFont>
#include <QScreen>
#include <QTimer>

#include <memory>

namespace {

// Held by the running instance for the life of its process.
constexpr const char* kMutexName = "KESTRA-7C3E9A41-52D8-4F06-9B1E-A6D20C84F53B";
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

} // namespace

int main(int argc, char** argv) {
    // A second instance ends at once and shows nothing.
    if (!AcquireSingleInstance(kMutexName))
        return 0;

    TApplication App(argc, argv);
    App.setApplicationName(QString::fromUtf8(kApplicationTitle));
    App.setApplicationVersion(QString::fromUtf8(kApplicationVersion));
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
                Controller = std::make_unique<TUIManager>(static_cast<TmainDlg*>(Sender));
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
        TApplication::ShowException(QStringLiteral("Unknown error"));
        return 1;
    }

    const QSize Work = Main->screen()->availableGeometry().size();
    const QSize Outer = Main->frameGeometry().size();
    const TWindowRect Place = CenteredRect(Outer.width(), Outer.height(), Work.width(), Work.height());
    Main->move(Place.Left, Place.Top);
    Main->show();
    Main->raise();
    Main->repaint();
    Splash.reset();

    const int Result = App.exec();
    Main.reset();
    return Result;
}
