// Runs the real trovelle-thumbs for a test: its standard output and standard error apart
// (standard error on a pseudo-terminal when asked), its exit status, and a hook that is
// called as output arrives and every few milliseconds meanwhile, to signal the child or
// close its output at the right moment.
#pragma once

#include <functional>
#include <poll.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

struct TRun {
    int Exit = -1;          // exit status, or 128 + signal when killed by one
    bool Signalled = false; // ended by a signal rather than by exiting
    std::string Out, Err;
};

struct TRunSettings {
    bool Terminal = false; // standard error is a terminal
    unsigned short Columns = 80; // of that terminal
    // Sees the output so far; may signal Child or close the reading end of its standard
    // output by setting CloseOut.
    std::function<void(pid_t Child, const TRun& SoFar, bool& CloseOut)> OnTick;
};

inline std::string ToolPath() {
    return std::string(TEST_BINDIR) + "/trovelle-thumbs";
}

inline TRun RunTool(const std::vector<std::string>& Args, const TRunSettings& Settings = {}) {
    int Out[2], Err[2];
    if (pipe(Out) != 0)
        return {};
    winsize Size{};
    Size.ws_row = 24;
    Size.ws_col = Settings.Columns;
    if (Settings.Terminal ? openpty(&Err[0], &Err[1], nullptr, nullptr, &Size) != 0 : pipe(Err) != 0)
        return {};
    const std::string Tool = ToolPath();
    const pid_t Child = fork();
    if (Child == 0) {
        dup2(Out[1], STDOUT_FILENO);
        dup2(Err[1], STDERR_FILENO);
        for (int Fd : {Out[0], Out[1], Err[0], Err[1]})
            close(Fd);
        std::vector<char*> Argv{const_cast<char*>(Tool.c_str())};
        for (const std::string& A : Args)
            Argv.push_back(const_cast<char*>(A.c_str()));
        Argv.push_back(nullptr);
        execv(Tool.c_str(), Argv.data());
        _exit(127);
    }
    close(Out[1]);
    close(Err[1]);
    TRun Run;
    pollfd Fds[2] = {{Out[0], POLLIN, 0}, {Err[0], POLLIN, 0}};
    std::string* Sinks[2] = {&Run.Out, &Run.Err};
    while (Fds[0].fd >= 0 || Fds[1].fd >= 0) {
        poll(Fds, 2, 20);
        for (int I = 0; I < 2; ++I) {
            if (Fds[I].fd < 0 || !(Fds[I].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char Buffer[4096];
            const ssize_t Read = read(Fds[I].fd, Buffer, sizeof Buffer);
            if (Read > 0) {
                Sinks[I]->append(Buffer, static_cast<size_t>(Read));
            } else { // end of file; a pseudo-terminal answers EIO once the child is gone
                close(Fds[I].fd);
                Fds[I].fd = -1;
            }
        }
        bool CloseOut = false;
        if (Settings.OnTick)
            Settings.OnTick(Child, Run, CloseOut);
        if (CloseOut && Fds[0].fd >= 0) {
            close(Fds[0].fd);
            Fds[0].fd = -1;
        }
    }
    int Status = 0;
    waitpid(Child, &Status, 0);
    Run.Signalled = WIFSIGNALED(Status);
    Run.Exit = Run.Signalled ? 128 + WTERMSIG(Status) : WEXITSTATUS(Status);
    return Run;
}

inline bool Contains(const std::string& Text, const std::string& Part) {
    return Text.find(Part) != std::string::npos;
}

inline size_t CountLines(const std::string& Text) {
    size_t Lines = 0;
    for (char C : Text)
        Lines += C == '\n';
    return Lines;
}
