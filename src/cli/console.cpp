#include "console.h"
#include "jobs/outputs.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A live line is redrawn at most this often; a fast job writes hundreds of files a second.
constexpr std::chrono::milliseconds kRedraw{100};

// A pipe whose reader is gone shows as an error condition when polled.
bool ReaderGone(int Fd) {
    struct stat Info {};
    if (fstat(Fd, &Info) != 0 || !S_ISFIFO(Info.st_mode))
        return false;
    pollfd Poll{Fd, 0, 0};
    return poll(&Poll, 1, 0) == 1 && (Poll.revents & POLLERR);
}

double SecondsSince(std::chrono::steady_clock::time_point Start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
}

// The columns of the terminal on standard error; 80 where it does not say.
constexpr int kDefaultColumns = 80;

int TerminalColumns() {
    winsize Size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &Size) == 0 && Size.ws_col > 0)
        return Size.ws_col;
    return kDefaultColumns;
}

// The characters of UTF-8 Text (its code points: a terminal shows most in one column).
size_t Characters(const std::string& Text) {
    return static_cast<size_t>(std::count_if(Text.begin(), Text.end(), [](char C) { return (C & 0xC0) != 0x80; }));
}

// The first Count characters of Text, or its last Count.
std::string Head(const std::string& Text, size_t Count) {
    size_t Seen = 0, At = 0;
    for (; At < Text.size(); ++At)
        if ((Text[At] & 0xC0) != 0x80 && Seen++ == Count)
            break;
    return Text.substr(0, At);
}

std::string Tail(const std::string& Text, size_t Count) {
    const size_t All = Characters(Text);
    const std::string Skipped = Head(Text, All > Count ? All - Count : 0);
    return Text.substr(Skipped.size());
}

// One line of Lead, Name and a rest that fits in Columns - 1 (a line that reaches the last
// column wraps on some terminals, and every redraw would scroll). Rests are the same
// rest, fullest first, each without the least needed piece of the one before: the first
// that fits beside the name shortened in the middle is taken; the last is taken anyway,
// the name shortened as far as it takes, and only then the line is cut at its end.
std::string FitLine(const std::string& Lead, const std::string& Name, const std::vector<std::string>& Rests,
                    int Columns) {
    const size_t Room = static_cast<size_t>(std::max(Columns - 1, 20));
    constexpr size_t kShortestName = 9;
    for (size_t I = 0; I < Rests.size(); ++I) {
        const std::string& Rest = Rests[I];
        const size_t Fixed = Characters(Lead) + Characters(Rest);
        const bool Last = I + 1 == Rests.size();
        std::string Shown = Name;
        if (Fixed + Characters(Name) > Room) {
            if (!Last && Fixed + kShortestName > Room)
                continue;
            const size_t Keep = Room > Fixed + 1 ? Room - Fixed - 1 : 0;
            Shown = Head(Name, (Keep + 1) / 2) + "\u2026" + Tail(Name, Keep / 2);
        }
        std::string Line = Lead + Shown + Rest;
        if (Characters(Line) > Room)
            Line = Head(Line, Room);
        return Line;
    }
    return Head(Lead + Name, Room);
}

} // namespace

std::string Escaped(const std::string& Text) {
    // Control characters as C writes them, so that a name keeps to its line and its field;
    // a backslash doubled, so that the escapes read back.
    std::string Out;
    for (const char C : Text) {
        const unsigned char U = static_cast<unsigned char>(C);
        if (C == '\\')
            Out += "\\\\";
        else if (C == '\t')
            Out += "\\t";
        else if (C == '\n')
            Out += "\\n";
        else if (C == '\r')
            Out += "\\r";
        else if (U < 0x20 || U == 0x7F) {
            char Code[8];
            std::snprintf(Code, sizeof Code, "\\x%02X", U);
            Out += Code;
        } else
            Out += C;
    }
    return Out;
}

TConsole::TConsole(TVerbosity Verbosity, bool NullResults)
    : FVerbosity(Verbosity), FLive(isatty(STDERR_FILENO)), FNullResults(NullResults) {}

int WriteWhole(int Fd, const std::string& Text) {
    for (size_t Done = 0; Done < Text.size();) {
        const ssize_t Written = write(Fd, Text.data() + Done, Text.size() - Done);
        if (Written > 0)
            Done += static_cast<size_t>(Written);
        else if (Written == 0)
            return EIO;
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

void TConsole::Write(int Fd, const std::string& Text) {
    const bool Out = Fd == STDOUT_FILENO;
    if (Out ? FOutClosed : FErrClosed)
        return;
    const int Code = WriteWhole(Fd, Text);
    if (!Code)
        return;
    // Standard output that lost its reader (EPIPE) ends the run quietly, one that cannot be
    // written otherwise ends it with its reason. Standard error that cannot be written is
    // left alone: the work goes on and the results still go out.
    if (Out ? Code != EPIPE : FWriteError.empty())
        FWriteError = std::string(Out ? "standard output" : "standard error") + ": " + std::strerror(Code);
    (Out ? FOutClosed : FErrClosed) = true;
}

void TConsole::CloseLiveLine() {
    if (FLineOpen)
        Write(STDERR_FILENO, "\n");
    FLineOpen = false;
}

void TConsole::Result(const std::string& Folder, int64_t Count, const char* State) {
    // With NUL ends a name can hold anything but a NUL: it is written as it is.
    std::string Line = (FNullResults ? Folder : Escaped(Folder)) + "\t" + std::to_string(Count);
    if (State)
        Line.append("\t").append(State);
    Line += FNullResults ? '\0' : '\n';
    Write(STDOUT_FILENO, Line);
}

void TConsole::Error(const std::string& Text) {
    CloseLiveLine();
    Write(STDERR_FILENO, std::string(kProgram) + ": " + Escaped(Text) + "\n");
}

void TConsole::Note(const std::string& Text) {
    if (FVerbosity == TVerbosity::Quiet)
        return;
    CloseLiveLine();
    Write(STDERR_FILENO, Escaped(Text) + "\n");
}

void TConsole::SetBatch(size_t Index, size_t Count) {
    FBatch = Count > 1 ? "video " + std::to_string(Index + 1) + " of " + std::to_string(Count) + ": " : "";
}

void TConsole::Started(const std::string& Video, const std::string& Folder, const char* Units) {
    FVideo = Escaped(Video);
    FUnits = Units;
    FStart = std::chrono::steady_clock::now();
    FLastShown = {};
    if (FVerbosity == TVerbosity::Quiet)
        return;
    if (FLive) {
        Redraw({": starting"});
    } else {
        Write(STDERR_FILENO, FVideo + ": writing into " + Escaped(Folder) + "\n");
    }
}

void TConsole::Frame(int64_t Done, int64_t Total) {
    if (FVerbosity == TVerbosity::Quiet || !FLive)
        return;
    const auto Now = std::chrono::steady_clock::now();
    if (Now - FLastShown < kRedraw && Done < Total)
        return;
    FLastShown = Now;
    const double Elapsed = SecondsSince(FStart);
    const double Rate = Elapsed > 0 ? Done / Elapsed : 0;
    // The whole video's total is an estimate that the count may pass.
    const int64_t Shown = std::max(Total, Done);
    // The count and the percentage stay; a narrow terminal loses the rate first, then the
    // time left.
    char Count[64], Rated[64], Left[48];
    std::snprintf(Count, sizeof Count, ": %lld/%lld (%d%%)", static_cast<long long>(Done),
                  static_cast<long long>(Shown), Shown > 0 ? static_cast<int>(Done * 100 / Shown) : 100);
    std::snprintf(Rated, sizeof Rated, ", %.1f %s/s", Rate, FUnits);
    std::snprintf(Left, sizeof Left, ", %s left",
                  ClockText(Rate > 0 ? static_cast<int64_t>((Shown - Done) / Rate + 0.5) : 0).c_str());
    const std::vector<std::string> Rests = {std::string(Count) + Rated + Left, std::string(Count) + Left,
                                            Count};
    Redraw(Rests);
}

void TConsole::Finished(int64_t Done) {
    if (FVerbosity == TVerbosity::Quiet)
        return;
    const double Elapsed = SecondsSince(FStart);
    char Count[48], Took[48], Rated[64];
    std::snprintf(Count, sizeof Count, ": %lld written", static_cast<long long>(Done));
    std::snprintf(Took, sizeof Took, " in %s", ClockText(static_cast<int64_t>(Elapsed + 0.5)).c_str());
    std::snprintf(Rated, sizeof Rated, " (%.1f %s/s)", Elapsed > 0 ? Done / Elapsed : 0.0, FUnits);
    const std::string Whole = std::string(Count) + Took + Rated;
    if (FLive) {
        Redraw({Whole, std::string(Count) + Took, Count});
        CloseLiveLine();
    } else {
        Write(STDERR_FILENO, FVideo + Whole + "\n");
    }
}

void TConsole::Redraw(const std::vector<std::string>& Rests) {
    // Built piece by piece: GCC 12 warns wrongly about a chain of + starting with a literal.
    std::string Line(1, '\r');
    Line += FitLine(FBatch, FVideo, Rests, TerminalColumns());
    Line += "\33[K";
    Write(STDERR_FILENO, Line);
    FLineOpen = true;
}

bool TConsole::OutputClosed() {
    if (!FOutClosed && ReaderGone(STDOUT_FILENO))
        FOutClosed = true;
    return FOutClosed;
}
