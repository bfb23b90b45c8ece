#include "commandLine.h"

#include "platform/appinfo.h"

#include <QFileInfo>
#include <QUrl>

namespace {

bool IsHelp(const QString& A) { return A == u"--help" || A == u"-h"; }
bool IsVersion(const QString& A) { return A == u"--version" || A == u"-v"; }

// The options the application object takes out for itself (QGuiApplication, QApplication
// and the X11 platform), with one dash or two, a value following or after '='. The command
// line is read before they are taken out too: without a display, or in a later start.
struct TQtOption {
    const char16_t* Name;
    bool TakesValue;
};
constexpr TQtOption kQtOptions[] = {
    {u"platform", true},
    {u"platformpluginpath", true},
    {u"platformtheme", true},
    {u"plugin", true},
    {u"qwindowgeometry", true},
    {u"qwindowicon", true},
    {u"qwindowtitle", true},
    {u"session", true},
    {u"style", true},
    {u"stylesheet", true},
    {u"display", true},
    {u"geometry", true},
    {u"title", true},
    {u"icon", true},
    {u"name", true},
    {u"visual", true},
    {u"qmljsdebugger", true},
    {u"reverse", false},
    {u"widgetcount", false},
    {u"testability", false},
    {u"nograb", false},
    {u"dograb", false},
    {u"sync", false},
};

// How many arguments Qt's option at Arguments[I] takes up with its value; 0 when it is
// none of Qt's.
qsizetype QtOptionLength(const QStringList& Arguments, qsizetype I) {
    QStringView A = Arguments[I];
    if (!A.startsWith(u'-'))
        return 0;
    A = A.mid(A.startsWith(u"--") ? 2 : 1);
    for (const TQtOption& Option : kQtOptions) {
        const QStringView Name(Option.Name);
        if (A == Name)
            return Option.TakesValue && I + 1 < Arguments.size() ? 2 : 1;
        if (Option.TakesValue && A.startsWith(Name) && A.mid(Name.size()).startsWith(u'='))
            return 1;
    }
    return 0;
}

} // namespace

TCommandLine::TAction QuickAnswer(const QStringList& Arguments) {
    for (qsizetype I = 1; I < Arguments.size() && Arguments[I] != u"--"; ++I) {
        if (IsHelp(Arguments[I]))
            return TCommandLine::TAction::Help;
        if (IsVersion(Arguments[I]))
            return TCommandLine::TAction::Version;
    }
    return TCommandLine::TAction::Run;
}

TCommandLine ParseCommandLine(const QStringList& Arguments) {
    TCommandLine Result;
    Result.Action = QuickAnswer(Arguments);
    if (Result.Action != TCommandLine::TAction::Run)
        return Result;
    bool OptionsEnded = false;
    for (qsizetype I = 1; I < Arguments.size(); ++I) {
        const QString& A = Arguments[I];
        if (!OptionsEnded && A == u"--") {
            OptionsEnded = true;
            continue;
        }
        if (!OptionsEnded) {
            if (const qsizetype Taken = QtOptionLength(Arguments, I)) {
                I += Taken - 1;
                continue;
            }
        }
        if (!OptionsEnded && A.startsWith(u'-') && A != u"-") {
            Result.Action = TCommandLine::TAction::Error;
            Result.Error = QStringLiteral("unknown option %1").arg(A);
            return Result;
        }
        if (!Result.Video.isEmpty()) {
            Result.Action = TCommandLine::TAction::Error;
            Result.Error = QStringLiteral("one video at a time (%1 and %2)").arg(Result.Video, A);
            return Result;
        }
        const QUrl Url(A);
        const QString Path = Url.isLocalFile() && A.startsWith(u"file:") ? Url.toLocalFile() : A;
        Result.Video = QFileInfo(Path).absoluteFilePath();
    }
    return Result;
}

QString HelpText() {
    return QStringLiteral(
        "Usage: trovelle [VIDEO]\n"
        "Opens the window of Trovelle, the video thumbnail maker, and with it VIDEO when one is given.\n"
        "When Trovelle runs already, VIDEO opens in its window.\n"
        "\n"
        "  -h, --help     show this help and end\n"
        "  -v, --version  show the version and end\n"
        "\n"
        "Without a window: trovelle-thumbs --help\n");
}

QString MissingDisplay(const QStringList& Arguments,
                       const std::function<QByteArray(const char*)>& Environment) {
    for (const char* Named : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!Environment(Named).isEmpty())
            return {};
    for (qsizetype I = 1; I < Arguments.size() && Arguments[I] != u"--"; ++I)
        if (Arguments[I] == u"-platform" || Arguments[I].startsWith(u"-platform="))
            return {};
    return QStringLiteral("no display is set (DISPLAY and WAYLAND_DISPLAY are empty)");
}

QString WindowDisplay(const QStringList& Arguments,
                      const std::function<QByteArray(const char*)>& Environment) {
    QString Platform = QString::fromLocal8Bit(Environment("QT_QPA_PLATFORM"));
    QString XDisplay = QString::fromLocal8Bit(Environment("DISPLAY"));
    // Qt's own options, which win over the environment.
    const auto Option = [&](qsizetype& I, const QString& Name, QString& Value) {
        const QString& A = Arguments[I];
        if (A == Name && I + 1 < Arguments.size()) {
            Value = Arguments[++I];
            return true;
        }
        if (A.startsWith(Name + u'=')) {
            Value = A.mid(Name.size() + 1);
            return true;
        }
        return false;
    };
    for (qsizetype I = 1; I < Arguments.size() && Arguments[I] != u"--"; ++I)
        if (!Option(I, QStringLiteral("-platform"), Platform))
            Option(I, QStringLiteral("-display"), XDisplay);
    const QString Choice = Platform.section(u';', 0, 0);
    const QString Name = Choice.section(u':', 0, 0);
    QString Wayland = QString::fromLocal8Bit(Environment("WAYLAND_DISPLAY"));
    if (Name == u"xcb")
        return XDisplay;
    if (Name.startsWith(u"wayland"))
        return Wayland.isEmpty() ? QStringLiteral("wayland-0") : Wayland;
    if (!Name.isEmpty())
        return Choice;
    if (!Wayland.isEmpty() && !XDisplay.isEmpty())
        return Wayland + u'+' + XDisplay;
    return Wayland.isEmpty() ? XDisplay : Wayland;
}

QString NoDisplayLine(const QString& Reason) {
    return QStringLiteral(
               "trovelle: cannot open the window: %1; trovelle-thumbs makes thumbnails without one")
        .arg(Reason);
}
