// The play manager over the real decoder, real test videos and a real panel: its guards,
// still frames after open, stop and seek, playback to the end, generation jobs and their
// notifications, the two failures it reports, and operations called from inside its own
// notifications.
#include "fault_io.h"
#include "fixtures.h"
#include "gui/widgets/videopanel.h"
#include "playback/playManager.h"
#include "player_helpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

struct TNote {
    std::string Name;
    bool Playing = false, Converting = false;
    int64_t Position = 0;
    double FPS = 0;
    std::string LastError;
    TFrameIdentity Shown; // the frame in the panel while the notification ran
    // What the notification carried: a position, or a job's report.
    int64_t Told = -1;
    bool FromJob = false;
    TConvertProgress Progress;
    std::string Output, Error;
};

void Take(TNote& Note, int64_t Position) {
    Note.Told = Position;
}

void Take(TNote& Note, const TJobReport& Report) {
    Note.FromJob = true;
    Note.Progress = Report.Progress;
    Note.Output = Report.Output;
    Note.Error = Report.Error;
}

class PlayManager : public ::testing::Test {
protected:
    // A handler of any of the notifications that notes what it carried and the manager's state.
    auto Note(const std::string& Name, std::function<void()> Then = nullptr) {
        return [this, Name, Then](const auto&... Told) {
            TNote N;
            N.Name = Name;
            N.Playing = Manager->Playing();
            N.Converting = Manager->Converting();
            N.Position = Manager->Position();
            N.FPS = Manager->FPS();
            N.LastError = Manager->LastError();
            N.Shown = ShownIdentity(Panel);
            (Take(N, Told), ...);
            Notes.push_back(N);
            if (Then)
                Then();
        };
    }

    void SetUp() override {
        Panel.resize(320, 240); // the shape of the 320 x 240 test videos: no bars
        Panel.InitVideo();
        Manager = std::make_unique<TPlayManager>(Panel);
        Manager->OnPosition = Note("Position");
        Manager->OnPlayEnd = Note("PlayEnd");
        Manager->OnPlayError = Note("PlayError");
        Manager->OnConvertProgress = Note("Progress");
        Manager->OnConvertDone = Note("Done");
        Manager->OnConvertError = Note("ConvertError");
    }

    int Count(const std::string& Name) const {
        return static_cast<int>(
            std::count_if(Notes.begin(), Notes.end(), [&](const TNote& N) { return N.Name == Name; }));
    }
    bool Arrived(const std::string& Name) const { return Count(Name) > 0; }
    std::vector<std::string> NamesFrom(size_t First) const {
        std::vector<std::string> Names;
        for (size_t I = First; I < Notes.size(); ++I)
            Names.push_back(Notes[I].Name);
        return Names;
    }

    // The frame the decoder delivers next: the one playback would start with.
    int NextIndex() {
        const TDecoderFrame* Frame = Manager->Decoder().NextFrame();
        return Frame ? ReadIdentity(Frame->Pixels, Manager->Width(), Manager->Height()).Index : -1;
    }

    // Thumbnails in the job folder Name.
    int Files(const std::string& Name) const {
        const QDir Folder(Output.filePath(QString::fromStdString(Name)));
        return static_cast<int>(Folder.entryList(QDir::Files).size());
    }
    // Thumbnails the notifications so far told of.
    int64_t Reported() const {
        int64_t Done = 0;
        for (const TNote& N : Notes)
            Done = std::max(Done, N.Progress.Current + 1);
        return Done;
    }

    TConvertRec Job(const std::string& Name) {
        TConvertRec Rec;
        Rec.Width = 32;
        Rec.Height = 24;
        Rec.Name = Name;
        Rec.Folder = Output.path().toStdString() + "/";
        return Rec;
    }

    TSDLPanel Panel;
    QTemporaryDir Output;
    std::vector<TNote> Notes;
    std::unique_ptr<TPlayManager> Manager; // freed before the panel, as the controller does
};

TEST_F(PlayManager, CommandsBeforeAVideoDoNothing) {
    Manager->Play();
    Manager->Pause();
    Manager->Stop();
    Manager->Seek(5);
    Manager->StartConvert(Job("none"));
    Manager->StopConvert();
    ServeFor(200ms);
    EXPECT_FALSE(Manager->Opened());
    EXPECT_FALSE(Manager->Playing());
    EXPECT_FALSE(Manager->Converting());
    EXPECT_TRUE(Notes.empty());
    EXPECT_EQ(Manager->AspectRatio(), 1.0);
    // No picture: the panel shows its own background.
    EXPECT_EQ(ShownImage(Panel).pixel(160, 120), Panel.palette().window().color().rgb());
}

TEST_F(PlayManager, OpenShowsTheFirstFrameAndRewinds) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    EXPECT_TRUE(Manager->Opened());
    EXPECT_FALSE(Manager->Playing());
    EXPECT_EQ(Manager->Width(), 320);
    EXPECT_EQ(Manager->Height(), 240);
    EXPECT_EQ(Manager->Duration(), 120);
    EXPECT_EQ(Manager->DurationHours(), 0);
    EXPECT_EQ(Manager->DurationMinutes(), 2);
    EXPECT_EQ(Manager->DurationSeconds(), 0);
    EXPECT_DOUBLE_EQ(Manager->FPS(), 25.0);
    EXPECT_NEAR(Manager->AspectRatio(), 4.0 / 3.0, 1e-9);
    EXPECT_EQ(Manager->Position(), 0);
    EXPECT_EQ(ShownIdentity(Panel).Index, 0);
    EXPECT_EQ(NextIndex(), 0); // Play starts with the frame on screen

    // A file the library refuses changes nothing.
    const std::string Garbage = Fixture("garbage.mp4");
    try {
        Manager->OpenFile(Garbage);
        ADD_FAILURE() << "opened " << Garbage;
    } catch (const EMPEG2Error& E) {
        EXPECT_EQ(std::string(E.what()), "Unable to open video file: " + Garbage);
    }
    EXPECT_TRUE(Manager->Opened());
    EXPECT_EQ(Manager->Duration(), 120);
    EXPECT_EQ(ShownIdentity(Panel).Index, 0);

    // Another shape: the output is cleared and the new picture letterboxed by its display
    // aspect ratio (720 x 576 shown 16:9 in 320 x 240: 320 x 180 from row 30).
    Manager->OpenFile(Fixture("anamorphic.mp4"));
    EXPECT_EQ(Manager->Width(), 720);
    EXPECT_EQ(Manager->Height(), 576);
    EXPECT_DOUBLE_EQ(Panel.AspectRatio, Manager->AspectRatio());
    const QImage Output = ShownImage(Panel);
    for (int X : {0, 160, 319}) {
        EXPECT_EQ(Output.pixel(X, 29) & 0xFFFFFF, 0u);
        EXPECT_NE(Output.pixel(X, 30) & 0xFFFFFF, 0u);
        EXPECT_NE(Output.pixel(X, 209) & 0xFFFFFF, 0u);
        EXPECT_EQ(Output.pixel(X, 210) & 0xFFFFFF, 0u);
    }
    EXPECT_EQ(IdentityIn(Output, 0, 30, 320, 180).Index, 0);
}

// Frame by frame, both ways, across long_gop_25.mp4's keyframe at 10 s (frame 250): from a
// video just opened (the decoder rewound under its first frame), after a seek, and at the
// first frame, whose previous frame is itself.
TEST_F(PlayManager, StepsFrameByFrameBothWaysAcrossAKeyframe) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    const auto Steps = [&](const std::vector<std::pair<bool, int64_t>>& Plan) {
        for (const auto& [Forward, Index] : Plan) {
            if (Forward)
                Manager->StepForward();
            else
                Manager->StepBack();
            EXPECT_EQ(ShownIdentity(Panel).Index, Index) << (Forward ? "forward to " : "back to ") << Index;
            EXPECT_EQ(Manager->FrameTime(), Index * 40000);
            EXPECT_EQ(Manager->Position(), Index / 25);
        }
    };
    Steps({{false, 0}, {true, 1}, {true, 2}, {false, 1}, {false, 0}, {false, 0}});
    Manager->Seek(10);
    EXPECT_EQ(ShownIdentity(Panel).Index, 250);
    Steps({{false, 249}, {false, 248}, {true, 249}, {true, 250}, {true, 251}});
    // An instant between two frames shows the later one.
    EXPECT_TRUE(Manager->ShowFrameAt(60 * 1000000 + 1));
    EXPECT_EQ(ShownIdentity(Panel).Index, 1501);
    EXPECT_FALSE(Manager->Playing());
}

TEST_F(PlayManager, SeekAndStopWhilePaused) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    Manager->Seek(60);
    EXPECT_FALSE(Manager->Playing());
    EXPECT_EQ(Manager->Position(), 60);
    EXPECT_EQ(ShownIdentity(Panel).Index, 1500);
    EXPECT_EQ(ShownIdentity(Panel).Second, 60);
    EXPECT_EQ(NextIndex(), 1501);

    // No frame there: the picture stays.
    Manager->Seek(500);
    EXPECT_EQ(ShownIdentity(Panel).Index, 1500);

    Manager->Stop();
    EXPECT_FALSE(Manager->Playing());
    EXPECT_EQ(Manager->Position(), 0);
    EXPECT_DOUBLE_EQ(Manager->FPS(), 25.0);
    EXPECT_EQ(ShownIdentity(Panel).Index, 0);
    EXPECT_EQ(NextIndex(), 1);
    ServeFor(100ms);
    EXPECT_TRUE(Notes.empty());
}

TEST_F(PlayManager, SeekAndStopWhilePlaying) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    Manager->Play();
    Manager->Play(); // nothing: already playing
    EXPECT_TRUE(Manager->Playing());
    ASSERT_TRUE(ServeUntil([&] { return Arrived("Position"); }));
    {
        const TNote& N = Notes.back();
        EXPECT_FALSE(N.FromJob);
        EXPECT_EQ(N.Told, N.Position); // the notification carries the position
        EXPECT_TRUE(N.Playing);
        EXPECT_GT(N.FPS, 0.0); // the measured rate
        EXPECT_EQ(N.Shown.Second, N.Position);
    }

    Manager->Seek(60);
    EXPECT_TRUE(Manager->Playing());
    EXPECT_EQ(Manager->Position(), 60);
    const size_t Before = Notes.size();
    ASSERT_TRUE(ServeUntil([&] { return Notes.size() > Before; }));
    {
        const TNote& N = Notes.back();
        EXPECT_EQ(N.Name, "Position");
        EXPECT_GE(N.Position, 60);
        EXPECT_GT(N.Shown.Index, 1500); // playback went on after the frame shown
        EXPECT_LT(N.Shown.Index, 1500 + 25 * 30);
        EXPECT_EQ(N.Shown.Second, N.Position);
    }

    std::this_thread::sleep_for(100ms); // the worker blocks in its next report meanwhile
    const size_t AtStop = Notes.size();
    Manager->Stop();
    EXPECT_FALSE(Manager->Playing());
    EXPECT_EQ(Manager->Position(), 0);
    EXPECT_DOUBLE_EQ(Manager->FPS(), 25.0);
    EXPECT_EQ(ShownIdentity(Panel).Index, 0);
    ServeFor(300ms);
    EXPECT_EQ(Notes.size(), AtStop);
    EXPECT_EQ(NextIndex(), 1); // Play would go on with the second frame
}

// Served by the Qt event loop, as in the program.
TEST_F(PlayManager, PlaysToTheEnd) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    Manager->Seek(118);
    Manager->Play();
    ASSERT_TRUE(RunEventLoopUntil([&] { return Arrived("PlayEnd"); }));
    ServeFor(200ms);
    ASSERT_GE(Notes.size(), 2u);
    EXPECT_EQ(Count("PlayEnd"), 1);
    const TNote& Last = Notes[Notes.size() - 2];
    EXPECT_EQ(Last.Name, "Position");
    EXPECT_EQ(Notes.back().Name, "PlayEnd");
    EXPECT_TRUE(Last.Playing);
    EXPECT_TRUE(Notes.back().Playing);
    EXPECT_GE(Last.Position, 119);
    EXPECT_FALSE(Manager->Playing());
    EXPECT_EQ(ShownIdentity(Panel).Index, 2999);

    // The decoder stays at the end: playing again reports the end at once.
    const size_t Before = Notes.size();
    Manager->Play();
    ASSERT_TRUE(ServeUntil([&] { return Count("PlayEnd") == 2; }));
    ServeFor(100ms);
    EXPECT_EQ(NamesFrom(Before), (std::vector<std::string>{"Position", "PlayEnd"}));
    EXPECT_FALSE(Manager->Playing());
    EXPECT_EQ(ShownIdentity(Panel).Index, 2999);
}

// The end less than a second after Play: no rate has been measured.
TEST_F(PlayManager, EndWithinASecondCarriesNoRate) {
    Manager->OpenFile(Fixture("one_frame.mp4"));
    Manager->Play();
    ASSERT_TRUE(ServeUntil([&] { return Arrived("PlayEnd"); }));
    ASSERT_EQ(NamesFrom(0), (std::vector<std::string>{"Position", "PlayEnd"}));
    EXPECT_EQ(Notes[0].FPS, 0.0);
}

TEST_F(PlayManager, JobNotificationsInOrder) {
    Manager->OpenFile(Fixture("ntsc_2997.mp4"));
    Manager->Seek(5);
    const int ShownBefore = ShownIdentity(Panel).Index;
    TConvertRec Rec = Job("ntsc");
    Rec.Pieces = 3;
    Manager->StartConvert(Rec);
    EXPECT_TRUE(Manager->Converting());
    ASSERT_TRUE(ServeUntil([&] { return Arrived("Done") || Arrived("ConvertError"); }));
    ServeFor(100ms);

    ASSERT_EQ(Count("Done"), 1);
    EXPECT_EQ(Count("ConvertError"), 0);
    EXPECT_EQ(Notes.back().Name, "Done");
    EXPECT_TRUE(Notes.back().Converting); // still set while the handler runs
    std::vector<int64_t> Written;
    for (const TNote& N : Notes) {
        EXPECT_TRUE(N.FromJob);
        EXPECT_EQ(N.Error, "");
        // Only the last report says what the job wrote: the folder of its thumbnails.
        EXPECT_EQ(N.Output, N.Name == "Done" ? Output.path().toStdString() + "/ntsc" : "");
        EXPECT_EQ(N.Progress.Total, 3);
        if (N.Name == "Progress" && (Written.empty() || Written.back() != N.Progress.Current))
            Written.push_back(N.Progress.Current);
    }
    EXPECT_EQ(Written, (std::vector<int64_t>{0, 1, 2}));
    // One per thumbnail (two where a rate was measured too), and one when the loop ended.
    EXPECT_GE(Count("Progress"), 4);
    EXPECT_FALSE(Manager->Converting());
    EXPECT_EQ(QDir(Output.filePath("ntsc")).entryList({"*.jpg"}, QDir::Files).size(), 3);
    EXPECT_EQ(ShownIdentity(Panel).Index, ShownBefore); // the panel keeps its picture
    EXPECT_EQ(NextIndex(), 0);                          // the decoder is back at the start
}

// A contact sheet runs in the job's place: progress per tile, Done, the file, the decoder back
// at the start; a sheet that cannot be written is an error like a job's.
TEST_F(PlayManager, SheetJobNotifiesLikeAThumbnailJob) {
    Manager->OpenFile(Fixture("ntsc_2997.mp4"));
    TSheetRec Rec;
    Rec.Columns = 3;
    Rec.Rows = 2;
    Rec.Width = 600;
    Rec.Path = Fixture("ntsc_2997.mp4");
    Rec.Folder = Output.path().toStdString() + "/";
    Manager->StartSheet(Rec);
    EXPECT_TRUE(Manager->Converting());
    ASSERT_TRUE(ServeUntil([&] { return Arrived("Done") || Arrived("ConvertError"); }));
    ASSERT_EQ(Count("Done"), 1);
    EXPECT_EQ(Count("ConvertError"), 0);
    EXPECT_GE(Count("Progress"), 7); // one per tile and one at the end
    EXPECT_EQ(Notes.back().Progress.Total, 6);
    EXPECT_EQ(Notes.back().Progress.Current, 5);
    EXPECT_EQ(Notes.back().Output, Output.filePath("ntsc_2997_sheet.jpg").toStdString());
    EXPECT_FALSE(Manager->Converting());
    EXPECT_TRUE(QFileInfo(Output.filePath("ntsc_2997_sheet.jpg")).isFile());
    EXPECT_EQ(NextIndex(), 0);

    Notes.clear();
    Rec.Folder = Output.filePath("missing/").toStdString();
    Manager->StartSheet(Rec);
    ASSERT_TRUE(ServeUntil([&] { return Arrived("Done") || Arrived("ConvertError"); }));
    EXPECT_EQ(Count("ConvertError"), 1);
    EXPECT_FALSE(Manager->Converting());
    EXPECT_NE(Manager->LastError().find(Rec.Folder + "ntsc_2997_sheet.jpg"), std::string::npos)
        << Manager->LastError();
    EXPECT_EQ(Notes.back().Error, Manager->LastError());
    EXPECT_EQ(Notes.back().Output, "");
}

// The flags of one report and what they raise; a rate or end report counts only while a
// job exists.
TEST_F(PlayManager, JobEventRaisesProgressPerFlag) {
    Manager->OpenFile(Fixture("ntsc_2997.mp4"));
    TJobReport Report;
    Report.Progress = {7, 3};
    const auto Send = [&](TEngineEvents Events) {
        Report.Events = Events;
        Manager->JobEvent(Report);
    };
    Send(evConvFrame | evConvRate);
    EXPECT_EQ(Count("Progress"), 1);

    TConvertRec Rec = Job("flags");
    Rec.Pieces = 1;
    Manager->StartConvert(Rec);
    ASSERT_TRUE(ServeUntil([&] { return Arrived("Done"); }));
    Notes.clear();
    Send(evConvFrame | evConvRate);
    Send(evConvStopped | evConvEnd);
    Send(evConvStopped | evPlayStopped); // no reaction
    EXPECT_EQ(NamesFrom(0), (std::vector<std::string>(3, "Progress")));
    for (const TNote& N : Notes) {
        EXPECT_EQ(N.Progress.Total, 7);
        EXPECT_EQ(N.Progress.Current, 3);
    }
}

TEST_F(PlayManager, StopConvertEndsTheJobAndItsNotifications) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    TConvertRec Rec = Job("stopped");
    Rec.Mode = TThumbMode::Whole;
    Manager->StartConvert(Rec);
    ASSERT_TRUE(ServeUntil([&] { return Count("Progress") >= 3; }));
    std::this_thread::sleep_for(100ms); // the job blocks in its next report meanwhile
    const size_t AtStop = Notes.size();
    Manager->StopConvert();
    EXPECT_FALSE(Manager->Converting());
    // The job has ended: at most the thumbnail it was reporting was written unheard; no
    // file was started after the stop.
    const int Written = Files("stopped");
    EXPECT_LE(Written, Reported() + 1);
    ServeFor(300ms);
    EXPECT_EQ(Notes.size(), AtStop);
    EXPECT_EQ(Count("Done"), 0);
    EXPECT_EQ(Files("stopped"), Written);
    // The decoder is the main thread's again.
    Manager->Stop();
    EXPECT_EQ(ShownIdentity(Panel).Index, 0);
}

// The decoder is one thread's at a time: while a job runs, every command that reads it says no
// and leaves the picture and the job alone, whoever gives it; once the job has ended they work.
TEST_F(PlayManager, CommandsThatReadTheDecoderSayNoWhileAJobRuns) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    ASSERT_TRUE(Manager->Seek(7));
    const int Shown = ShownIdentity(Panel).Index;
    TConvertRec Rec = Job("busy");
    Rec.Mode = TThumbMode::Whole;
    Manager->StartConvert(Rec);
    ASSERT_TRUE(ServeUntil([&] { return Count("Progress") >= 2; }));
    ASSERT_TRUE(Manager->Converting());
    EXPECT_FALSE(Manager->Play());
    EXPECT_FALSE(Manager->Playing());
    EXPECT_FALSE(Manager->Seek(3));
    EXPECT_FALSE(Manager->Stop());
    EXPECT_FALSE(Manager->StepForward());
    EXPECT_FALSE(Manager->StepBack());
    EXPECT_FALSE(Manager->ShowFrameAt(0));
    EXPECT_FALSE(Manager->TakeShownFrame([](const TDecoderFrame&, const TDecoderFileInfo&) {}));
    EXPECT_EQ(ShownIdentity(Panel).Index, Shown);
    EXPECT_TRUE(Manager->Converting());
    const int64_t Before = Reported();
    ASSERT_TRUE(ServeUntil([&] { return Reported() > Before + 2; })) << "the job goes on";
    Manager->StopConvert();
    EXPECT_TRUE(Manager->Seek(3));
    EXPECT_EQ(ShownIdentity(Panel).Index, 75);
}

// The job fails (its folder cannot be made): the user hears why, and can go on.
TEST_F(PlayManager, FailedJobRaisesConvertError) {
    Manager->OpenFile(Fixture("ntsc_2997.mp4"));
    const QString Blocker = Output.filePath("a file");
    QFile File(Blocker);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly));
    File.close();
    TConvertRec Rec = Job("failed");
    Rec.Mode = TThumbMode::Whole;
    Rec.Folder = Blocker.toStdString() + "/";
    Manager->StartConvert(Rec);
    ASSERT_TRUE(ServeUntil([&] { return Arrived("ConvertError") || Arrived("Done"); }));
    ServeFor(100ms);

    ASSERT_EQ(NamesFrom(0), (std::vector<std::string>{"ConvertError"}));
    EXPECT_TRUE(Notes[0].FromJob);
    EXPECT_NE(Notes[0].Error.find(Blocker.toStdString()), std::string::npos) << Notes[0].Error;
    EXPECT_EQ(Notes[0].LastError, Notes[0].Error); // already set while the handler runs
    EXPECT_TRUE(Notes[0].Converting);
    EXPECT_FALSE(Manager->Converting());
    EXPECT_NE(Manager->LastError().find(Blocker.toStdString()), std::string::npos) << Manager->LastError();
    EXPECT_EQ(NextIndex(), 0); // the job had taken the first frame; the decoder is rewound
    Manager->Play();
    EXPECT_TRUE(Manager->Playing());
}

// An exception in a handler ends playback; the manager says so instead of freezing.
TEST_F(PlayManager, FailedPlaybackRaisesPlayError) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    Manager->OnPosition = [](int64_t) { throw std::runtime_error("the slider is gone"); };
    Manager->Play();
    ASSERT_TRUE(ServeUntil([&] { return Arrived("PlayError"); }));
    ServeFor(100ms);
    ASSERT_EQ(NamesFrom(0), (std::vector<std::string>{"PlayError"}));
    EXPECT_EQ(Notes[0].LastError, "the slider is gone"); // already set while the handler runs
    EXPECT_FALSE(Notes[0].Playing);
    EXPECT_FALSE(Manager->Playing());
    EXPECT_EQ(Manager->LastError(), "the slider is gone");
    Manager->OnPosition = nullptr;
    Manager->Play(); // playback can go on
    EXPECT_TRUE(Manager->Playing());
}

// A frame the main thread cannot read (after a seek, say) is reported as a playback
// failure with the reason, not raised through the caller; playback does not resume.
TEST_F(PlayManager, UnreadableFrameRaisesPlayError) {
    const std::string Video = Fixture("long_gop_25.mp4");
    Manager->OpenFile(Video);
    Manager->Play();
    FaultIoFailReads(Video.c_str(), static_cast<off_t>(QFile(QString::fromStdString(Video)).size() / 2), EIO);
    EXPECT_NO_THROW(Manager->Seek(100));
    FaultIoClear();
    ServeFor(100ms);
    ASSERT_EQ(NamesFrom(0), (std::vector<std::string>{"PlayError"}));
    EXPECT_FALSE(Manager->Playing());
    EXPECT_NE(Manager->LastError().find(Video + ": Input/output error"), std::string::npos)
        << Manager->LastError();
    Manager->Seek(10); // the disk reads again
    EXPECT_EQ(ShownIdentity(Panel).Index, 250);
}

// Handlers may call the manager: a worker cannot be waited for inside its own report.
TEST_F(PlayManager, OperationsFromInsideNotifications) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    Manager->OnPlayEnd = Note("PlayEnd", [&] { Manager->Stop(); });
    Manager->Seek(119);
    Manager->Play();
    ASSERT_TRUE(ServeUntil([&] { return Arrived("PlayEnd"); }));
    ServeFor(200ms);
    EXPECT_EQ(Count("PlayEnd"), 1);
    EXPECT_FALSE(Manager->Playing());
    EXPECT_EQ(Manager->Position(), 0);
    EXPECT_EQ(ShownIdentity(Panel).Index, 0);

    // Restarting from the end notification: playback runs on with a new thread.
    Manager->OnPlayEnd = Note("PlayEnd", [&] { Manager->Seek(118); });
    Manager->Seek(119);
    Manager->Play();
    ASSERT_TRUE(ServeUntil([&] { return Count("PlayEnd") == 2; }));
    EXPECT_TRUE(Manager->Playing());
    const size_t Before = Notes.size();
    ASSERT_TRUE(ServeUntil([&] { return Notes.size() > Before; }));
    EXPECT_EQ(Notes.back().Name, "Position");
    EXPECT_GE(Notes.back().Position, 118);
    Manager->Pause();

    Notes.clear();
    Manager->OnConvertProgress = Note("Progress", [&] {
        if (Count("Progress") == 2)
            Manager->StopConvert();
    });
    TConvertRec Rec = Job("inside");
    Rec.Mode = TThumbMode::Whole;
    Manager->StartConvert(Rec);
    ASSERT_TRUE(ServeUntil([&] { return !Manager->Converting(); }));
    ServeFor(300ms);
    EXPECT_EQ(NamesFrom(0), (std::vector<std::string>{"Progress", "Progress"}));
    Manager->Stop(); // waits for the stopped job before it uses the decoder
    EXPECT_EQ(ShownIdentity(Panel).Index, 0);
    EXPECT_LE(Files("inside"), Reported() + 1);
}

TEST_F(PlayManager, DestroyingWhileBusyStopsTheWorkers) {
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    Manager->Play();
    ASSERT_TRUE(ServeUntil([&] { return TLoopDispatcher::ProcessHandOffs(10ms) > 0; }));
    Manager.reset();
    ServeFor(100ms);

    Manager = std::make_unique<TPlayManager>(Panel);
    Manager->OnConvertProgress = Note("Progress");
    Manager->OpenFile(Fixture("long_gop_25.mp4"));
    TConvertRec Rec = Job("destroyed");
    Rec.Mode = TThumbMode::Whole;
    Manager->StartConvert(Rec);
    ASSERT_TRUE(ServeUntil([&] { return Arrived("Progress"); }));
    Manager.reset();
    const size_t AtEnd = Notes.size();
    const int Written = Files("destroyed");
    EXPECT_LE(Written, Reported() + 1); // the job ended with the manager
    ServeFor(100ms);
    EXPECT_EQ(Notes.size(), AtEnd);
    EXPECT_EQ(Files("destroyed"), Written);
}

} // namespace
