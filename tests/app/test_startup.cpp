// The real program: one instance at a time, a second start hands its video to the first
// and ends at once, a start after the first has ended runs again, and the command line
// answers --help and --version without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <sys/socket.h>
#include <sys/un.h>
#include <vector>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#ifdef TEST_HAVE_XCB
#include <xcb/xcb.h>

#include <cstring>
#include <optional>
#endif

namespace fs = std::filesystem;

namespace {

// The running instance's lock and socket: the program's name and its display, which is the
// platform's name for the headless platform the tests use.
constexpr const char* kLockFile = "/trovelle-offscreen.lock";
constexpr const char* kSocketFile = "/trovelle-offscreen.socket";

// Starts the program with its runtime and config folders in RuntimeDir, and Video (when
// given) on its command line; its standard error goes to ErrorFile when one is given.
// Environment is set over the headless platform's; an empty value unsets the variable.
pid_t Start(const std::string& RuntimeDir, const std::string& Video = {}, const std::string& ErrorFile = {},
            const std::map<std::string, std::string>& Environment = {}) {
    const pid_t Child = fork();
    if (Child == 0) {
        if (!ErrorFile.empty()) {
            const int Fd = open(ErrorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(Fd, 2);
        }
        setenv("XDG_RUNTIME_DIR", RuntimeDir.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (RuntimeDir + "/config").c_str(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        for (const auto& [Name, Value] : Environment) {
            if (Value.empty())
                unsetenv(Name.c_str());
            else
                setenv(Name.c_str(), Value.c_str(), 1);
        }
        const std::string Program = std::string(TEST_BINDIR) + "/trovelle";
        if (Video.empty())
            execl(Program.c_str(), Program.c_str(), static_cast<char*>(nullptr));
        else
            execl(Program.c_str(), Program.c_str(), Video.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return Child;
}

// True once the running instance's window is up: it then accepts hand-overs on SocketFile.
bool WindowUp(const std::string& RuntimeDir, const std::string& SocketFile = kSocketFile) {
    const std::string Path = RuntimeDir + SocketFile;
    sockaddr_un Address{};
    Address.sun_family = AF_UNIX;
    std::snprintf(Address.sun_path, sizeof Address.sun_path, "%s", Path.c_str());
    const int Fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool Up = connect(Fd, reinterpret_cast<sockaddr*>(&Address), sizeof Address) == 0;
    close(Fd);
    return Up;
}

// Waits (in 20 ms steps, up to a minute) until Done holds.
bool WaitUntil(const std::function<bool()>& Done) {
    for (int I = 0; I < 3000 && !Done(); ++I)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return Done();
}

// The folder of the last opened video, as the running instance stored it.
std::string RememberedOpenFolder(const std::string& RuntimeDir) {
    std::ifstream Settings(RuntimeDir + "/config/trovelle/trovelle.conf");
    std::string Line;
    while (std::getline(Settings, Line))
        if (Line.rfind("Open=", 0) == 0)
            return Line.substr(5);
    return {};
}

// Runs a shell command; its exit code (128 + the signal when one ended it) and what it wrote
// on standard output.
std::pair<int, std::string> RunShell(const std::string& Command) {
    std::string Output;
    FILE* Pipe = popen(Command.c_str(), "r");
    char Buffer[4096];
    size_t Read;
    while ((Read = fread(Buffer, 1, sizeof Buffer, Pipe)) > 0)
        Output.append(Buffer, Read);
    const int Status = pclose(Pipe);
    return {WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status), Output};
}

// Runs the program with Arguments and no display at all; its exit code and stdout.
std::pair<int, std::string> RunWithoutDisplay(const std::string& Arguments) {
    return RunShell("env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=/nonexistent " +
                    std::string(TEST_BINDIR) + "/trovelle " + Arguments + " 2>/dev/null");
}

// Runs the program with Environment (env's arguments) and a runtime folder of its own; its
// exit code and standard error.
std::pair<int, std::string> RunWithEnvironment(const std::string& Environment) {
    char Runtime[] = "/tmp/trovelle-startup-XXXXXX";
    if (!mkdtemp(Runtime))
        return {-1, ""};
    const auto Result =
        RunShell("env " + Environment + " XDG_RUNTIME_DIR=" + Runtime + " XDG_CONFIG_HOME=" + Runtime + " " +
                 std::string(TEST_BINDIR) + "/trovelle 2>&1 >/dev/null");
    fs::remove_all(Runtime);
    return Result;
}

// Waits up to a minute (with no time given, looks once) for the child to end; its exit code,
// or -1 while it still runs.
int WaitExit(pid_t Child, std::chrono::seconds Limit = std::chrono::seconds(60)) {
    const auto Until = std::chrono::steady_clock::now() + Limit;
    int Status = 0;
    for (;;) {
        if (waitpid(Child, &Status, WNOHANG) == Child)
            return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
        if (std::chrono::steady_clock::now() >= Until)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// True once somebody holds the single-instance lock in RuntimeDir.
bool LockHeld(const std::string& RuntimeDir) {
    const int Fd = open((RuntimeDir + kLockFile).c_str(), O_RDWR);
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

// An X server of its own: Xvfb on a display number it picks itself. Display is empty when
// Xvfb is not installed or did not start.
struct TXServer {
    TXServer() {
        int Pipe[2];
        if (pipe(Pipe) != 0)
            return;
        Pid = fork();
        if (Pid == 0) {
            close(Pipe[0]);
            const int Null = open("/dev/null", O_WRONLY);
            dup2(Null, 1);
            dup2(Null, 2);
            const std::string Fd = std::to_string(Pipe[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", Fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(Pipe[1]);
        // Xvfb writes the display's number once it accepts clients.
        std::string Number;
        char C;
        while (read(Pipe[0], &C, 1) == 1 && C != '\n')
            Number += C;
        close(Pipe[0]);
        if (!Number.empty())
            Display = ":" + Number;
    }
    ~TXServer() {
        if (Pid > 0) {
            kill(Pid, SIGTERM);
            waitpid(Pid, nullptr, 0);
        }
    }
    pid_t Pid = -1;
    std::string Display;
};

} // namespace

TEST(Startup, OneInstanceAtATime) {
    char Template[] = "/tmp/trovelle-run-XXXXXX";
    const std::string RuntimeDir = mkdtemp(Template);

    const pid_t First = Start(RuntimeDir);
    ASSERT_TRUE(WaitForLock(RuntimeDir));
    // Past the splash: the main window runs.
    ASSERT_TRUE(WaitUntil([&] { return WindowUp(RuntimeDir); }));
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

// Each X display has its own instance: a start on a second display opens a window there
// instead of handing over to the window on the first, a later start on the first display
// still hands over to that one, and a start with a runtime folder of its own opens its own.
TEST(Startup, OneInstancePerDisplay) {
    TXServer First, Second;
    if (First.Display.empty() || Second.Display.empty())
        GTEST_SKIP() << "Xvfb is not installed";
    char Template[] = "/tmp/trovelle-run-XXXXXX";
    const std::string RuntimeDir = mkdtemp(Template);
    // The X11 platform, as on a desktop where DISPLAY alone names the display.
    const auto OnX = [](const std::string& Display) {
        return std::map<std::string, std::string>{
            {"DISPLAY", Display}, {"QT_QPA_PLATFORM", ""}, {"WAYLAND_DISPLAY", ""}, {"XDG_SESSION_TYPE", ""}};
    };
    // ":N" becomes "_N" in the names of the lock and the socket.
    const auto Socket = [](const std::string& Display) {
        return "/trovelle-_" + Display.substr(1) + ".socket";
    };

    const pid_t OnFirst = Start(RuntimeDir, {}, {}, OnX(First.Display));
    ASSERT_TRUE(WaitUntil([&] { return WindowUp(RuntimeDir, Socket(First.Display)); }));
    const pid_t OnSecond = Start(RuntimeDir, {}, {}, OnX(Second.Display));
    EXPECT_TRUE(WaitUntil([&] { return WindowUp(RuntimeDir, Socket(Second.Display)); }))
        << "no window of its own on the second display";
    EXPECT_EQ(WaitExit(OnSecond, std::chrono::seconds(0)), -1) << "the start on the second display ended";

    const pid_t Again = Start(RuntimeDir, {}, {}, OnX(First.Display));
    EXPECT_EQ(WaitExit(Again), 0) << "a start on the first display did not hand over";
    EXPECT_EQ(WaitExit(OnFirst, std::chrono::seconds(0)), -1);
    EXPECT_EQ(WaitExit(OnSecond, std::chrono::seconds(0)), -1);

    char OtherTemplate[] = "/tmp/trovelle-run-XXXXXX";
    const std::string OtherRuntime = mkdtemp(OtherTemplate);
    const pid_t Elsewhere = Start(OtherRuntime, {}, {}, OnX(First.Display));
    EXPECT_TRUE(WaitUntil([&] { return WindowUp(OtherRuntime, Socket(First.Display)); }))
        << "no window of its own with another runtime folder";
    EXPECT_EQ(WaitExit(Elsewhere, std::chrono::seconds(0)), -1);

    for (const pid_t Child : {OnFirst, OnSecond, Elsewhere}) {
        kill(Child, SIGTERM);
        WaitExit(Child);
    }
    fs::remove_all(RuntimeDir);
    fs::remove_all(OtherRuntime);
}

#ifdef TEST_HAVE_XCB
namespace {

// Whether Program is found on PATH.
bool Installed(const std::string& Program) {
    return RunShell("command -v " + Program + " >/dev/null").first == 0;
}

// A window manager (openbox) on an X server of the test's own, with a connection that hears
// every window the manager frames, maps and moves.
struct TManagedDisplay {
    TManagedDisplay() {
        if (Server.Display.empty() || !Installed("openbox"))
            return;
        Manager = fork();
        if (Manager == 0) {
            const int Null = open("/dev/null", O_WRONLY);
            dup2(Null, 1);
            dup2(Null, 2);
            setenv("DISPLAY", Server.Display.c_str(), 1);
            execlp("openbox", "openbox", static_cast<char*>(nullptr));
            _exit(127);
        }
        Connection = xcb_connect(Server.Display.c_str(), nullptr);
        Screen = xcb_setup_roots_iterator(xcb_get_setup(Connection)).data;
        const uint32_t Mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(Connection, Screen->root, XCB_CW_EVENT_MASK, &Mask);
        xcb_flush(Connection);
        // The manager is at work once it has announced itself on the root window.
        const char Name[] = "_NET_SUPPORTING_WM_CHECK";
        xcb_intern_atom_reply_t* Atom = xcb_intern_atom_reply(
            Connection, xcb_intern_atom(Connection, 0, std::strlen(Name), Name), nullptr);
        Ready = WaitUntil([&] {
            xcb_get_property_reply_t* Reply = xcb_get_property_reply(
                Connection, xcb_get_property(Connection, 0, Screen->root, Atom->atom, XCB_ATOM_WINDOW, 0, 1),
                nullptr);
            const bool Set = Reply && xcb_get_property_value_length(Reply) == 4;
            free(Reply);
            return Set;
        });
        free(Atom);
    }
    ~TManagedDisplay() {
        if (Connection)
            xcb_disconnect(Connection);
        if (Manager > 0) {
            kill(Manager, SIGTERM);
            waitpid(Manager, nullptr, 0);
        }
    }

    struct TPlace {
        int X, Y, Width, Height;
    };
    // Takes the events that arrived: the top-level windows' places, the first window at least
    // as large as Size that was mapped (the main window's frame) and where it was then, and
    // each place that frame was moved to afterwards.
    void Take(int MinWidth) {
        while (xcb_generic_event_t* Event = xcb_poll_for_event(Connection)) {
            switch (Event->response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                const auto* E = reinterpret_cast<xcb_create_notify_event_t*>(Event);
                Places[E->window] = {E->x, E->y, E->width, E->height};
                break;
            }
            case XCB_CONFIGURE_NOTIFY: {
                const auto* E = reinterpret_cast<xcb_configure_notify_event_t*>(Event);
                if (E->window == Frame && (E->x != Places[Frame].X || E->y != Places[Frame].Y))
                    MovedTo.push_back({E->x, E->y, E->width, E->height});
                Places[E->window] = {E->x, E->y, E->width, E->height};
                break;
            }
            case XCB_MAP_NOTIFY: {
                const auto* E = reinterpret_cast<xcb_map_notify_event_t*>(Event);
                if (!Frame && Places[E->window].Width >= MinWidth) {
                    Frame = E->window;
                    Mapped = Places[Frame];
                }
                break;
            }
            default:
                break;
            }
            free(Event);
        }
    }

    TXServer Server;
    pid_t Manager = -1;
    xcb_connection_t* Connection = nullptr;
    xcb_screen_t* Screen = nullptr;
    bool Ready = false;
    std::map<xcb_window_t, TPlace> Places;
    xcb_window_t Frame = 0;
    std::optional<TPlace> Mapped;
    std::vector<TPlace> MovedTo;
};

} // namespace

// Under a window manager the window appears centred, frame and all, and stays there: it is
// placed before it is first shown, not shown elsewhere and moved once its frame arrives.
TEST(Startup, TheWindowIsShownWhereItStays) {
    TManagedDisplay Display;
    if (!Display.Connection)
        GTEST_SKIP() << "Xvfb or openbox is not installed";
    ASSERT_TRUE(Display.Ready) << "the window manager did not start";
    char Template[] = "/tmp/trovelle-run-XXXXXX";
    const std::string RuntimeDir = mkdtemp(Template);
    const std::map<std::string, std::string> OnX{{"DISPLAY", Display.Server.Display},
                                                 {"QT_QPA_PLATFORM", ""},
                                                 {"WAYLAND_DISPLAY", ""},
                                                 {"XDG_SESSION_TYPE", ""}};
    const pid_t Window = Start(RuntimeDir, {}, {}, OnX);
    // Larger than the splash, as large as the main window at least.
    constexpr int kMainWidth = 792;
    ASSERT_TRUE(WaitUntil([&] {
        Display.Take(kMainWidth);
        return Display.Mapped.has_value();
    })) << "no window was mapped";
    const TManagedDisplay::TPlace Shown = *Display.Mapped;
    const int Width = Display.Screen->width_in_pixels, Height = Display.Screen->height_in_pixels;
    EXPECT_GT(Shown.Height, 518) << "no frame around the window";
    EXPECT_NEAR(Shown.X, (Width - Shown.Width) / 2, 1);
    EXPECT_NEAR(Shown.Y, (Height - Shown.Height) / 2, 1);

    // Once the window has answered a later start, it has dealt with what the manager told it
    // on showing it; it is where it was shown.
    const std::string Socket = "/trovelle-_" + Display.Server.Display.substr(1) + ".socket";
    ASSERT_TRUE(WaitUntil([&] { return WindowUp(RuntimeDir, Socket); }));
    EXPECT_EQ(WaitExit(Start(RuntimeDir, {}, {}, OnX)), 0);
    Display.Take(kMainWidth);
    for (const TManagedDisplay::TPlace& P : Display.MovedTo)
        ADD_FAILURE() << "moved from " << Shown.X << "," << Shown.Y << " to " << P.X << "," << P.Y;

    kill(Window, SIGTERM);
    WaitExit(Window);
    fs::remove_all(RuntimeDir);
}

namespace {

xcb_atom_t Atom(xcb_connection_t* Connection, const char* Name) {
    xcb_intern_atom_reply_t* Reply =
        xcb_intern_atom_reply(Connection, xcb_intern_atom(Connection, 0, std::strlen(Name), Name), nullptr);
    const xcb_atom_t Result = Reply ? Reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    free(Reply);
    return Result;
}

// The windows the manager keeps in its client list: every top-level window a person sees.
std::vector<xcb_window_t> ClientWindows(const TManagedDisplay& Display) {
    const xcb_atom_t List = Atom(Display.Connection, "_NET_CLIENT_LIST");
    xcb_get_property_reply_t* Reply = xcb_get_property_reply(
        Display.Connection,
        xcb_get_property(Display.Connection, 0, Display.Screen->root, List, XCB_ATOM_WINDOW, 0, 1024),
        nullptr);
    std::vector<xcb_window_t> Windows;
    if (Reply) {
        const auto* Each = static_cast<const xcb_window_t*>(xcb_get_property_value(Reply));
        Windows.assign(Each, Each + xcb_get_property_value_length(Reply) / sizeof(xcb_window_t));
        free(Reply);
    }
    return Windows;
}

// A window's title as the manager shows it.
std::string Title(const TManagedDisplay& Display, xcb_window_t Window) {
    xcb_get_property_reply_t* Reply = xcb_get_property_reply(
        Display.Connection,
        xcb_get_property(Display.Connection, 0, Window, Atom(Display.Connection, "_NET_WM_NAME"),
                         Atom(Display.Connection, "UTF8_STRING"), 0, 1024),
        nullptr);
    std::string Text;
    if (Reply) {
        Text.assign(static_cast<const char*>(xcb_get_property_value(Reply)),
                    xcb_get_property_value_length(Reply));
        free(Reply);
    }
    return Text;
}

// Asks Window to close, as its title bar's close button does.
void AskToClose(const TManagedDisplay& Display, xcb_window_t Window) {
    xcb_client_message_event_t Message{};
    Message.response_type = XCB_CLIENT_MESSAGE;
    Message.format = 32;
    Message.window = Window;
    Message.type = Atom(Display.Connection, "WM_PROTOCOLS");
    Message.data.data32[0] = Atom(Display.Connection, "WM_DELETE_WINDOW");
    Message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(Display.Connection, 0, Window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&Message));
    xcb_flush(Display.Connection);
}

} // namespace

// A later start hands over a file the window cannot open: the window says so in a box, and
// once the person has closed the box it runs on, its video still open, and takes the next
// start. Freed memory is overwritten in the window's process, so that reading the hand-over's
// connection after it was gone ends the window every time instead of now and then.
TEST(Startup, AHandedOverFileThatCannotBeOpenedLeavesTheWindowRunning) {
    TManagedDisplay Display;
    if (!Display.Connection)
        GTEST_SKIP() << "Xvfb or openbox is not installed";
    ASSERT_TRUE(Display.Ready) << "the window manager did not start";
    char Template[] = "/tmp/trovelle-run-XXXXXX";
    const std::string RuntimeDir = mkdtemp(Template);
    const std::string Video = RuntimeDir + "/clip.mp4";
    fs::copy_file(std::string(TEST_DATADIR) + "/anamorphic.mp4", Video);
    const std::string NotAVideo = RuntimeDir + "/notes.txt";
    std::ofstream(NotAVideo) << "root:x:0:0:root:/root:/bin/bash\n";
    std::map<std::string, std::string> OnX{{"DISPLAY", Display.Server.Display},
                                           {"QT_QPA_PLATFORM", ""},
                                           {"WAYLAND_DISPLAY", ""},
                                           {"XDG_SESSION_TYPE", ""}};
    const std::string Socket = "/trovelle-_" + Display.Server.Display.substr(1) + ".socket";
    auto InWindow = OnX;
    InWindow["MALLOC_PERTURB_"] = "165";
    const pid_t Window = Start(RuntimeDir, Video, {}, InWindow);
    ASSERT_TRUE(WaitUntil([&] {
        return WindowUp(RuntimeDir, Socket) && RememberedOpenFolder(RuntimeDir) == RuntimeDir;
    })) << "the window did not open its video";
    const std::vector<xcb_window_t> Before = ClientWindows(Display);

    EXPECT_EQ(WaitExit(Start(RuntimeDir, NotAVideo, {}, OnX)), 0);
    xcb_window_t Box = 0;
    ASSERT_TRUE(WaitUntil([&] {
        for (const xcb_window_t W : ClientWindows(Display))
            if (std::find(Before.begin(), Before.end(), W) == Before.end())
                Box = W;
        return Box != 0;
    })) << "no box said the file cannot be opened";
    AskToClose(Display, Box);
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<xcb_window_t> Now = ClientWindows(Display);
        return std::find(Now.begin(), Now.end(), Box) == Now.end() || WaitExit(Window, {}) != -1;
    })) << "the box did not close";

    // The window answers the next start (which it serves once the box's own loop has ended),
    // and its video is still open.
    const pid_t Next = Start(RuntimeDir, {}, {}, OnX);
    const int Answered = WaitExit(Next);
    if (Answered == -1) {
        kill(Next, SIGTERM);
        WaitExit(Next);
    }
    EXPECT_EQ(Answered, 0);
    const int Ended = WaitExit(Window, {});
    ASSERT_EQ(Ended, -1) << "the window ended with status " << Ended;
    std::vector<std::string> Titles;
    for (const xcb_window_t W : ClientWindows(Display))
        Titles.push_back(Title(Display, W));
    EXPECT_NE(std::find(Titles.begin(), Titles.end(), "clip.mp4 \u2014 Trovelle"), Titles.end());

    kill(Window, SIGTERM);
    WaitExit(Window);
    fs::remove_all(RuntimeDir);
}
#endif

std::string ReadFile(const std::string& Path) {
    std::ifstream In(Path);
    return std::string(std::istreambuf_iterator<char>(In), {});
}

// `trovelle VIDEO` opens the video once the window is up; a second start with another
// video hands it over and ends at once with 0; the running window opens it.
TEST(Startup, VideosFromTheCommandLineAndFromASecondStart) {
    char Template[] = "/tmp/trovelle-run-XXXXXX";
    const std::string RuntimeDir = mkdtemp(Template);
    const std::string Videos = RuntimeDir + "/videos";
    const std::string Other = RuntimeDir + "/other folder";
    fs::create_directories(Videos);
    fs::create_directories(Other);
    fs::copy_file(std::string(TEST_DATADIR) + "/anamorphic.mp4", Videos + "/first.mp4");
    fs::copy_file(std::string(TEST_DATADIR) + "/fps_12_5.mp4", Other + "/second.mp4");

    const pid_t First = Start(RuntimeDir, Videos + "/first.mp4");
    ASSERT_TRUE(WaitUntil([&] { return RememberedOpenFolder(RuntimeDir) == Videos; }))
        << "the video on the command line was not opened";

    // A relative path is the second start's, not the first's.
    const std::string Here = fs::current_path();
    fs::current_path(Other);
    const pid_t Second = Start(RuntimeDir, "second.mp4");
    fs::current_path(Here);
    EXPECT_EQ(WaitExit(Second), 0);
    EXPECT_TRUE(WaitUntil([&] { return RememberedOpenFolder(RuntimeDir) == Other; }))
        << "the running window did not open the handed-over video";

    // A name with a control character is refused: the start says so and ends with 2, and
    // the window keeps its video.
    const std::string Odd = Other + "/line\nbreak.mp4";
    fs::copy_file(Other + "/second.mp4", Odd);
    const std::string Errors = RuntimeDir + "/errors";
    EXPECT_EQ(WaitExit(Start(RuntimeDir, Odd, Errors)), 2);
    EXPECT_NE(ReadFile(Errors).find("control character"), std::string::npos) << ReadFile(Errors);

    // Without a video a second start only raises the window.
    const pid_t Third = Start(RuntimeDir);
    EXPECT_EQ(WaitExit(Third), 0);
    EXPECT_EQ(WaitExit(First, std::chrono::seconds(0)), -1);
    EXPECT_EQ(RememberedOpenFolder(RuntimeDir), Other);

    kill(First, SIGTERM);
    WaitExit(First);
    fs::remove_all(RuntimeDir);
}

// The contact sheet's values that earlier versions kept in Trovelle/Trovelle.conf of the
// config folder are in trovelle/trovelle.conf once the window is up, and the old file and
// its folder are gone.
TEST(Startup, TheSheetValuesOfEarlierVersionsMoveIntoTheSettingsFile) {
    char Template[] = "/tmp/trovelle-run-XXXXXX";
    const std::string RuntimeDir = mkdtemp(Template);
    const std::string OldFolder = RuntimeDir + "/config/Trovelle";
    fs::create_directories(OldFolder);
    std::ofstream(OldFolder + "/Trovelle.conf") << "[Sheet]\nColumns=5\nRows=3\nWidth=900\n";

    const pid_t First = Start(RuntimeDir);
    const std::string Settings = RuntimeDir + "/config/trovelle/trovelle.conf";
    EXPECT_TRUE(WaitUntil([&] { return WindowUp(RuntimeDir) && !fs::exists(OldFolder); }))
        << "the old file is still there";
    const std::string Stored = ReadFile(Settings);
    EXPECT_NE(Stored.find("[Sheet]\nColumns=5\nPreferClear=false\nRows=3\nWidth=900\n"), std::string::npos)
        << Stored;
    kill(First, SIGTERM);
    WaitExit(First);
    fs::remove_all(RuntimeDir);
}

// A start that cannot hand over privately says so on standard error and opens its own
// window (it is still running once it has said so), never ending 0 silently.
TEST(Startup, AStartThatCannotHandOverSaysSoAndRunsOnItsOwn) {
    struct TCase {
        const char* Name;
        std::function<void(const std::string& Runtime)> Spoil; // makes the runtime folder unfit
        const char* Said;
    };
    const TCase Cases[] = {
        {"runtime folder open to others", [](const std::string& R) { chmod(R.c_str(), 0777); },
         "no private runtime folder"},
        {"runtime folder of another user",
         [](const std::string& R) { ASSERT_EQ(chown(R.c_str(), 65534, 65534), 0); },
         "no private runtime folder"},
        // Somebody holds the lock and nobody answers on the socket.
        {"nobody answers",
         [](const std::string& R) {
             const int Fd = open((R + kLockFile).c_str(), O_RDWR | O_CREAT, 0600);
             ASSERT_EQ(flock(Fd, LOCK_EX | LOCK_NB), 0);
         },
         "did not answer"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        char Template[] = "/tmp/trovelle-run-XXXXXX";
        const std::string Base = mkdtemp(Template);
        const std::string RuntimeDir = Base + "/runtime";
        mkdir(RuntimeDir.c_str(), 0700);
        C.Spoil(RuntimeDir);
        const std::string Errors = Base + "/errors";
        const pid_t Child = Start(RuntimeDir, {}, Errors);
        EXPECT_TRUE(WaitUntil([&] { return ReadFile(Errors).find(C.Said) != std::string::npos; }))
            << ReadFile(Errors);
        EXPECT_EQ(WaitExit(Child, std::chrono::seconds(0)), -1)
            << "the start ended instead of opening a window";
        EXPECT_FALSE(WindowUp(RuntimeDir)) << "a window listens in a folder that is not private";
        kill(Child, SIGTERM);
        WaitExit(Child);
        fs::remove_all(Base);
    }
}

TEST(Startup, HelpAndVersionWithoutADisplay) {
    const auto [HelpCode, Help] = RunWithoutDisplay("--help");
    EXPECT_EQ(HelpCode, 0);
    EXPECT_EQ(Help.rfind("Usage: trovelle [VIDEO]", 0), 0u) << Help;
    const auto [VersionCode, Version] = RunWithoutDisplay("--version");
    EXPECT_EQ(VersionCode, 0);
    EXPECT_EQ(Version.rfind("trovelle (Trovelle) 1.1.0\n", 0), 0u) << Version;
    EXPECT_NE(Version.find("GNU GPL version 3 or later"), std::string::npos) << Version;
}

// A command line that is not understood is refused with status 2 before the display is
// looked for; Qt's own options are understood, and such a start then ends for want of one.
TEST(Startup, UsageErrorsBeforeTheDisplay) {
    const std::pair<const char*, int> Cases[] = {
        {"--bogus", 2},
        {"a.mp4 b.mp4", 2},
        {"-style fusion a.mp4", 1},
    };
    for (const auto& [Arguments, Status] : Cases) {
        SCOPED_TRACE(Arguments);
        EXPECT_EQ(RunWithoutDisplay(Arguments).first, Status);
    }
}

// Without a display, or with one that cannot be reached, the window cannot start: one line
// says so and names the tool that works without one, instead of Qt's abort (status 134).
TEST(Startup, WithoutADisplayOneLineAndStatusOne) {
    const std::pair<const char*, const char*> Cases[] = {
        {"-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM", "no display is set"},
        {"-u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:97", "no display could be reached (DISPLAY=:97)"},
        {"-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb",
         "no display could be reached (QT_QPA_PLATFORM=xcb)"},
    };
    for (const auto& [Environment, Reason] : Cases) {
        SCOPED_TRACE(Environment);
        const auto [Code, Err] = RunWithEnvironment(Environment);
        EXPECT_EQ(Code, 1);
        EXPECT_EQ(std::count(Err.begin(), Err.end(), '\n'), 1) << Err;
        EXPECT_EQ(Err.rfind("trovelle: cannot open the window: ", 0), 0u) << Err;
        EXPECT_NE(Err.find(Reason), std::string::npos) << Err;
        EXPECT_NE(Err.find("trovelle-thumbs"), std::string::npos) << Err;
    }
}
