// What the program's command line asks for: `trovelle [VIDEO]`, `--help`, `--version`.
// Read before anything needs a display, so that the two questions are answered on a
// terminal without one. Qt's own options (-platform and the like) are taken out by the
// application object before the video is looked for.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

struct TCommandLine {
    enum class TAction { Run, Help, Version, Error };
    TAction Action = TAction::Run;
    // The video to open, as a full path; empty for none.
    QString Video;
    // Why the command line was refused (Action Error).
    QString Error;
};

// Whether the arguments (program name first) ask for --help or --version; nothing else is
// looked at, so that this works before Qt has taken out its own options.
TCommandLine::TAction QuickAnswer(const QStringList& Arguments);

// The whole command line (program name first), Qt's own options passed over, so that it
// may be read before the application object exists. A relative video is made absolute
// against the working folder; a file: URL becomes its path.
TCommandLine ParseCommandLine(const QStringList& Arguments);

QString HelpText();

// Why the window has nowhere to go, judged before Qt starts (which would abort): "" when
// a display is named (DISPLAY or WAYLAND_DISPLAY) or a platform is chosen (QT_QPA_PLATFORM,
// -platform), else the reason. Environment answers a variable's value, empty when unset.
QString MissingDisplay(const QStringList& Arguments,
                       const std::function<QByteArray(const char*)>& Environment);

// The display this start's window goes to, named for its single instance: the X display
// (-display, else DISPLAY) on X11, WAYLAND_DISPLAY (else wayland-0) on Wayland, both when
// no platform is chosen (Qt then picks one of them), else the chosen platform itself
// ("offscreen"). The platform is -platform's, else QT_QPA_PLATFORM's, its first choice.
// Environment answers a variable's value, empty when unset.
QString WindowDisplay(const QStringList& Arguments,
                      const std::function<QByteArray(const char*)>& Environment);

// The one line that ends a start without a display, naming Reason and the tool that works
// without one.
QString NoDisplayLine(const QString& Reason);
