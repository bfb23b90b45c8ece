// The private runtime folder and the running instance's end of the hand-over: nothing
// another user owns or may enter is used, and no client can grow the window or keep a
// connection open.
#include "platform/handover.h"
#include "platform/platform.h"
#include "scratch.h"

#include <QLocalSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Sets XDG_RUNTIME_DIR for one test and puts the old value back.
struct TRuntimeEnv {
    explicit TRuntimeEnv(const std::string& Folder) : FSaved(qgetenv("XDG_RUNTIME_DIR")) {
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(Folder));
    }
    ~TRuntimeEnv() { qputenv("XDG_RUNTIME_DIR", FSaved); }
    QByteArray FSaved;
};

// Hands Video over from another thread, as a later start does from its own process, while
// this thread serves the server; the answer.
THandOver Answer(const std::string& Name, const QString& Video, int TimeoutMs = 3000) {
    auto Sent =
        std::async(std::launch::async, [&] { return HandOverToRunningInstance(Name, Video, TimeoutMs); });
    if (!QTest::qWaitFor([&] { return Sent.wait_for(std::chrono::seconds(0)) == std::future_status::ready; },
                         60000))
        return THandOver::Unanswered;
    return Sent.get();
}

// Whether Video was taken.
bool HandOver(const std::string& Name, const QString& Video, int TimeoutMs = 3000) {
    return Answer(Name, Video, TimeoutMs) == THandOver::Taken;
}

// A running instance's server named "handover-test" in a private runtime folder of its own,
// keeping what it is handed.
struct TListening {
    TListening() : Env(Runtime.Path) {
        Listening = Server.Listen();
        Server.OnHandOver = [this](const QString& Video) { Received << Video; };
    }
    TScratch Runtime;
    TRuntimeEnv Env;
    THandOverServer Server{"handover-test"};
    bool Listening = false;
    QStringList Received;
};

} // namespace

// The running window's end of the hand-over, with a client as a later start uses it.
TEST(HandOver, LinesArriveAsTheyWereSent) {
    TListening Instance;
    ASSERT_TRUE(Instance.Listening);
    const QStringList Sent = {QStringLiteral("/videos/vidéo été – 日本 #1 (copy).mp4"), QString(),
                              QStringLiteral("/odd/name%20 %0A;?&=+.mp4")};
    for (const QString& Video : Sent)
        ASSERT_TRUE(HandOver("handover-test", Video));
    // Each line arrives once the server's handler has returned, as a posted call.
    EXPECT_TRUE(QTest::qWaitFor([&] { return Instance.Received.size() == Sent.size(); }, 20000));
    EXPECT_EQ(Instance.Received, Sent);
    EXPECT_FALSE(HandOver("nobody-listens", QString(), 100));
}

// A name with a NUL or another control character is answered as refused and never arrives:
// the window would open the file named before a NUL and take its title and the thumbnails'
// folder from the name after it.
TEST(HandOver, ANameWithAControlCharacterIsRefused) {
    TListening Instance;
    ASSERT_TRUE(Instance.Listening);
    const QString Refused[] = {
        QStringLiteral("/videos/clip.mp4") + QChar(0) + QStringLiteral("/etc/passwd"),
        QStringLiteral("/odd/line\nbreak.mp4"),
        QStringLiteral("/odd/\x1b[31mred.mp4"),
        QStringLiteral("/odd/tab\t.mp4"),
        QStringLiteral("/odd/delete\x7f.mp4"),
        QStringLiteral("/odd/c1\u0085.mp4"),
    };
    for (const QString& Video : Refused) {
        SCOPED_TRACE(Video.toStdString());
        EXPECT_EQ(Answer("handover-test", Video), THandOver::Refused);
    }
    // What a client writes itself: the encoded NUL of a line no later start sends.
    QLocalSocket Client;
    Client.connectToServer(QString::fromStdString(HandOverSocketPath("handover-test")));
    ASSERT_TRUE(Client.waitForConnected(5000));
    Client.write("/videos/clip.mp4%00/etc/passwd\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return Client.canReadLine(); }, 20000));
    EXPECT_EQ(Client.readLine(), "refused\n");
    // The next start is served.
    EXPECT_TRUE(HandOver("handover-test", QStringLiteral("/after.mp4")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Instance.Received.isEmpty(); }, 20000));
    EXPECT_EQ(Instance.Received, QStringList{QStringLiteral("/after.mp4")});
}

TEST(RuntimeFolder, AFolderOthersOwnOrMayEnterIsRefused) {
    struct TCase {
        const char* Name;
        std::function<std::string(const std::string& Private)> Runtime; // from a private folder
    };
    const TCase Cases[] = {
        {"open to others",
         [](const std::string& P) {
             chmod(P.c_str(), 0777);
             return P;
         }},
        {"another user's",
         [](const std::string& P) {
             EXPECT_EQ(chown(P.c_str(), 65534, 65534), 0);
             return P;
         }},
        {"a link to a private folder",
         [](const std::string& P) {
             const std::string Link = P + "-link";
             EXPECT_EQ(symlink(P.c_str(), Link.c_str()), 0);
             return Link;
         }},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TScratch Scratch;
        const std::string Private = Scratch.Path + "/runtime";
        ASSERT_EQ(mkdir(Private.c_str(), 0700), 0);
        TRuntimeEnv Env(C.Runtime(Private));
        std::string Error;
        EXPECT_EQ(PrivateRuntimeFolder(Error), "");
        EXPECT_NE(Error, "");
        EXPECT_EQ(AcquireSingleInstance("runtime-test", Error), TInstanceLock::Unavailable);
        THandOverServer Server("runtime-test");
        EXPECT_FALSE(Server.Listen());
        EXPECT_EQ(Scratch.Files("runtime"), 0u) << "something was made in a folder that is not private";
        unlink((Private + "-link").c_str());
    }
}

TEST(RuntimeFolder, APrivateFolderHoldsTheLockOnce) {
    TScratch Scratch;
    TRuntimeEnv Env(Scratch.Path);
    std::string Error;
    EXPECT_EQ(PrivateRuntimeFolder(Error), Scratch.Folder()) << Error;
    // A link planted under the lock's name is not followed.
    ASSERT_EQ(symlink("/tmp/elsewhere", (Scratch.Path + "/planted.lock").c_str()), 0);
    EXPECT_EQ(AcquireSingleInstance("planted", Error), TInstanceLock::Unavailable);
    EXPECT_EQ(access("/tmp/elsewhere", F_OK), -1);
    // The lock is held per open file: this process's own second take is refused too.
    EXPECT_EQ(AcquireSingleInstance("once", Error), TInstanceLock::Acquired) << Error;
    EXPECT_EQ(AcquireSingleInstance("once", Error), TInstanceLock::Held);
}

// The lock's and the socket's name: the display in characters a file name takes, and short
// enough for a socket's path however long the display is.
TEST(RuntimeFolder, EachDisplayHasAnInstanceNameOfItsOwn) {
    const std::pair<const char*, const char*> Cases[] = {
        {"", "trovelle"},
        {":0", "trovelle-_0"},
        {":0.1", "trovelle-_0.1"},
        {"localhost:10.0", "trovelle-localhost_10.0"},
        {"wayland-1+:0", "trovelle-wayland-1__0"},
        {"/run/user/1000/wayland-0", "trovelle-_run_user_1000_wayland-0"},
    };
    for (const auto& [Display, Name] : Cases)
        EXPECT_EQ(InstanceName("trovelle", Display), Name) << Display;
    // Two long displays that differ only at their end keep apart, within a socket's path.
    const std::string Long = "/run/user/1000/" + std::string(200, 'w');
    const std::string A = InstanceName("trovelle", Long + "-a");
    const std::string B = InstanceName("trovelle", Long + "-b");
    EXPECT_NE(A, B);
    EXPECT_LE(A.size(), 64u);
    EXPECT_EQ(A.find('/'), std::string::npos);
}

// A client may send one line of a few KB, within a second; the server drops it otherwise and
// still serves the next start.
TEST(HandOver, AnOverlongOrSilentClientIsDropped) {
    TListening Instance;
    ASSERT_TRUE(Instance.Listening);
    const std::string Socket = HandOverSocketPath("handover-test");
    for (const qint64 Bytes : {qint64{0}, qint64{4} << 20}) {
        SCOPED_TRACE(Bytes);
        QLocalSocket Client;
        Client.connectToServer(QString::fromStdString(Socket));
        ASSERT_TRUE(Client.waitForConnected(5000));
        if (Bytes)
            Client.write(QByteArray(Bytes, 'a'));
        EXPECT_TRUE(QTest::qWaitFor([&] { return Client.state() == QLocalSocket::UnconnectedState; }, 20000))
            << "the server kept the client";
    }
    EXPECT_TRUE(Instance.Received.isEmpty());
    EXPECT_TRUE(HandOver("handover-test", QStringLiteral("/after.mp4")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !Instance.Received.isEmpty(); }, 20000));
    EXPECT_EQ(Instance.Received, QStringList{QStringLiteral("/after.mp4")});
}
