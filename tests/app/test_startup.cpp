// The real program: one instance at a time, a second start ends at once and silently,
// and a start after the first has ended runs again.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr const char* kLockName = "KESTRA-7C3E9A41-52D8-4F06-9B1E-A6D20C84F53B";

pid_t Start(const std::string& RuntimeDir) {
    const pid_t Child = fork();
    if (Child == 0) {
        setenv("XDG_RUNTIME_DIR", RuntimeDir.c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        const std::string Program = std::string(TEST_BINDIR) + "/trovelle";
        execl(Program.c_str(), Program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return Child;
}

// Waits up to a minute for the child to end; its exit code, or -1 while it still runs.
int WaitExit(pid_t Child, std::chrono::seconds Limit = std::chrono::seconds(60)) {
    const auto Until = std::chrono::steady_clock::now() + Limit;
    int Status = 0;
    while (std::chrono::steady_clock::now() < Until) {
        if (waitpid(Child, &Status, WNOHANG) == Child)
            return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

// True once somebody holds the single-instance lock in RuntimeDir.
bool LockHeld(const std::string& RuntimeDir) {
    const int Fd = open((RuntimeDir + "/" + kLockName).c_str(), O_RDWR);
    if (Fd < 0)
        return false;
    const bool Held = flock(Fd, LOCK_EX | LOCK_NB) != 0;
    if (!Held)
        flock(Fd, LOCK_UN);
    close(Fd);
    return Held;
}

bool WaitForLock(const std::string& RuntimeDir) {
    for (int I = 0; I < 3000 && !LockHeld(RuntimeDir); ++I)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return LockHeld(RuntimeDir);
}

} // namespace

TEST(Startup, OneInstanceAtATime) {
    char Template[] = "/tmp/trovelle-run-XXXXXX";
    const std::string RuntimeDir = mkdtemp(Template);

    const pid_t First = Start(RuntimeDir);
    ASSERT_TRUE(WaitForLock(RuntimeDir));
    // Past the splash: the main window runs.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_EQ(WaitExit(First, std::chrono::seconds(0)), -1) << "the first instance ended by itself";

    const pid_t Second = Start(RuntimeDir);
    EXPECT_EQ(WaitExit(Second), 0);
    EXPECT_EQ(WaitExit(First, std::chrono::seconds(0)), -1) << "the first instance was disturbed";

    kill(First, SIGTERM);
    EXPECT_EQ(WaitExit(First), 128 + SIGTERM);
    EXPECT_FALSE(LockHeld(RuntimeDir)); // the kernel dropped it with the process

    const pid_t Third = Start(RuntimeDir);
    EXPECT_TRUE(WaitForLock(RuntimeDir));
    kill(Third, SIGTERM);
    WaitExit(Third);
    fs::remove_all(RuntimeDir);
}
