// What the program's command line asks for: `trovelle [VIDEO]`, `--help`, `--version`.
// Read before anything needs a display, so that the two questions are answered on a
// terminal without one. Qt's own options (-platform and the like) are taken out by the
// application object before the video is looked for.
#pragma once

#include <QString>
#include <QStringList>

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

// The whole command line (program name first). A relative video is made absolute against
// the working folder; a file: URL becomes its path.
TCommandLine ParseCommandLine(const QStringList& Arguments);

QString HelpText();
