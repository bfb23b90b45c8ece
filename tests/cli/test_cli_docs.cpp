// trovelle-thumbs without videos: the option parser's accepted forms, the help text, the
// manual pages (its own and the window's) and the bash completion agreeing with --help, the
// video types of the desktop entries and the completion agreeing with the program's list,
// and the libraries it links.
#include "cli/options.h"
#include "engine/videotypes.h"
#include "fixtures.h"
#include "scratch.h"
#include "tool_runner.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <sstream>

namespace {

std::string ReadText(const std::string& Path) {
    std::ifstream File(Path);
    std::stringstream Text;
    Text << File.rdbuf();
    return Text.str();
}

std::string Source(const std::string& Path) {
    return std::string(TEST_SOURCEDIR) + "/../../" + Path;
}

// The long options named in Text.
std::set<std::string> LongOptionsIn(const std::string& Text) {
    std::set<std::string> Names;
    const std::regex Option("--[a-z]+(-[a-z]+)*");
    for (auto It = std::sregex_iterator(Text.begin(), Text.end(), Option); It != std::sregex_iterator(); ++It)
        Names.insert(It->str());
    return Names;
}

// The long options the help text lists.
std::set<std::string> LongOptions() {
    return LongOptionsIn(UsageText());
}

// The long options a manual page describes: those in the tags of its paragraphs (the line
// after .TP), unescaped.
std::set<std::string> ManualOptions(const std::string& Page) {
    std::istringstream Lines(Page);
    std::string Tags;
    bool Tag = false;
    for (std::string Line; std::getline(Lines, Line); Tag = Line == ".TP")
        if (Tag)
            Tags += std::regex_replace(Line, std::regex(R"(\\-)"), "-") + "\n";
    return LongOptionsIn(Tags);
}

} // namespace

TEST(ThumbsToolOptions, AcceptedForms) {
    struct TCase {
        std::vector<std::string> Args;
        std::function<bool(const TThumbsOptions&)> Holds;
    };
    const TCase Cases[] = {
        {{"a.mp4"},
         [](auto& O) {
             return O.Kind == TJobKind::Thumbnails && O.Mode == TThumbMode::Pieces && O.Pieces == 12 &&
                    O.Format == "jpg" && O.Quality == 100 && O.Digits == 0 && O.Videos.size() == 1;
         }},
        {{"--pieces=4", "a.mp4"}, [](auto& O) { return O.Pieces == 4; }},
        {{"a.mp4", "-p", "4", "b.mp4"}, [](auto& O) { return O.Pieces == 4 && O.Videos.size() == 2; }},
        {{"-wq", "a.mp4"},
         [](auto& O) {
             return O.Kind == TJobKind::Thumbnails && O.Mode == TThumbMode::Whole &&
                    O.Verbosity == TVerbosity::Quiet;
         }},
        {{"-r", "1:00", "01:00:02", "a.mp4"},
         [](auto& O) { return O.RangeStart == 60 && O.RangeEnd == 3602; }},
        {{"--range=5", "6", "a.mp4"}, [](auto& O) { return O.RangeStart == 5 && O.RangeEnd == 6; }},
        {{"--from", "5", "a.mp4"}, [](auto& O) { return O.RangeEnd == TThumbsOptions::kToTheEnd; }},
        {{"--to=5", "a.mp4"},
         [](auto& O) {
             return O.Kind == TJobKind::Thumbnails && O.Mode == TThumbMode::Range && O.RangeStart == 0 &&
                    O.RangeEnd == 5;
         }},
        {{"-s", "320", "a.mp4"}, [](auto& O) { return O.Width == 320 && O.Height == 0; }},
        {{"--size=320X", "a.mp4"}, [](auto& O) { return O.Width == 320 && O.Height == 0; }},
        {{"-sx240", "a.mp4"}, [](auto& O) { return O.Width == 0 && O.Height == 240; }},
        {{"-s", "64x48", "a.mp4"}, [](auto& O) { return O.Width == 64 && O.Height == 48; }},
        {{"-o", "out", "-f", "webp", "-Q", "7", "--digits=5", "--clean", "-R", "d"},
         [](auto& O) {
             return O.OutFolder == "out" && O.Format == "webp" && O.Quality == 7 && O.Digits == 5 &&
                    O.Clean && O.Recursive;
         }},
        {{"--", "-w", "--pieces=3"},
         [](auto& O) {
             return O.Kind == TJobKind::Thumbnails && O.Mode == TThumbMode::Pieces && O.Videos.size() == 2;
         }},
        {{"--sheet", "a.mp4"},
         [](auto& O) {
             return O.Kind == TJobKind::Sheet && O.SheetColumns == 4 && O.SheetRows == 4 &&
                    O.SheetWidth == 1600 && O.Videos.size() == 1;
         }},
        {{"a.mp4", "--sheet", "5x3", "b.mp4", "--sheet-width", "900"},
         [](auto& O) {
             return O.SheetColumns == 5 && O.SheetRows == 3 && O.SheetWidth == 900 && O.Videos.size() == 2;
         }},
        {{"--sheet=2X6", "a.mp4"}, [](auto& O) { return O.SheetColumns == 2 && O.SheetRows == 6; }},
        {{"--thumbnail", "256", "file:///v/a%20b.mp4", "out"},
         [](auto& O) {
             return O.Kind == TJobKind::Preview && O.PreviewSize == 256 && O.PreviewFile == "out" &&
                    O.Videos == std::vector<std::string>{"/v/a b.mp4"} && O.Verbosity == TVerbosity::Quiet;
         }},
        {{"a.mp4", "-q", "o.png", "--thumbnail=128"},
         [](auto& O) { return O.Videos == std::vector<std::string>{"a.mp4"} && O.PreviewFile == "o.png"; }},
        {{"--help"}, [](auto& O) { return O.Help; }},
        {{"--version"}, [](auto& O) { return O.Version; }},
    };
    for (const TCase& C : Cases) {
        const TThumbsOptions Options = ParseOptions(C.Args);
        EXPECT_TRUE(C.Holds(Options)) << testing::PrintToString(C.Args);
    }
    // The parser starts afresh every time.
    EXPECT_EQ(ParseOptions({"-p", "5", "a"}).Pieces, 5);
    EXPECT_EQ(ParseOptions({"b"}).Pieces, 12);
}

// Videos handed over by a file manager as URIs of local files.
TEST(ThumbsToolOptions, FileUrisBecomePaths) {
    const std::pair<const char*, const char*> Cases[] = {
        {"file:///home/a/clip.mp4", "/home/a/clip.mp4"},
        {"FILE://localhost/a%20b/%C3%A9t%c3%a9%23.mkv", "/a b/\u00e9t\u00e9#.mkv"},
        {"file:///100%25.mp4", "/100%.mp4"},
        {"clip%20x.mp4", "clip%20x.mp4"}, // a path stays as it is
        {"/tmp/file:///x", "/tmp/file:///x"},
    };
    for (const auto& [Uri, Path] : Cases)
        EXPECT_EQ(LocalPath(Uri), Path) << Uri;
    for (const char* Bad :
         {"file://server/share/a.mp4", "file:///a%2", "file:///a%zz.mp4", "file:///a%00b", "file://"})
        EXPECT_THROW(LocalPath(Bad), EUsageError) << Bad;
}

TEST(ThumbsToolOptions, Times) {
    struct TCase {
        const char* Text;
        int64_t Seconds, Microseconds;
        bool Exact;
    };
    const TCase Cases[] = {
        {"75", 75, 75000000, false},           {"1:15", 75, 75000000, false},
        {"01:00:05", 3605, 3605000000, false}, {"1.5", 1, 1500000, true},
        {"0:01.5", 1, 1500000, true},          {"01:00:05.120", 3605, 3605120000, true},
        {"2.000001", 2, 2000001, true},        {"3.0", 3, 3000000, true},
    };
    for (const TCase& C : Cases) {
        const TTimeArg Time = ParseTime(C.Text);
        EXPECT_EQ(Time.Seconds, C.Seconds) << C.Text;
        EXPECT_EQ(Time.Microseconds, C.Microseconds) << C.Text;
        EXPECT_EQ(Time.Exact, C.Exact) << C.Text;
    }
    for (const char* Bad : {"", "1:60", "a", "1::2", "-3", "1:2:3:4", "1.", ".5", "1.5.2", "1.1234567",
                            "1.5:2", "1.-5", "+1", "1 "})
        EXPECT_THROW(ParseTime(Bad), EUsageError) << Bad;
    // An exact end before the start is refused; a whole end holds its whole second.
    EXPECT_THROW(ParseOptions({"-r", "1.5", "1.2", "a"}), EUsageError);
    EXPECT_NO_THROW(ParseOptions({"-r", "1.5", "1", "a"}));
    const TThumbsOptions O = ParseOptions({"--from", "0:01.25", "--to", "2", "a"});
    EXPECT_EQ(O.RangeStartExact, 1250000);
    EXPECT_EQ(O.RangeEndExact, -1);
    EXPECT_EQ(O.RangeEnd, 2);
}

TEST(ThumbsToolDocs, HelpManualPageAndCompletionKnowEveryOption) {
    const TRun Help = RunTool({"--help"});
    EXPECT_EQ(Help.Exit, 0);
    EXPECT_EQ(Help.Out, UsageText());
    std::istringstream Lines(Help.Out);
    for (std::string Line; std::getline(Lines, Line);)
        EXPECT_LE(Line.size(), 80u) << Line;
    const std::set<std::string> Options = LongOptions();
    ASSERT_EQ(Options.size(), 23u);
    const std::string Manual = ReadText(Source("docs/man/trovelle-thumbs.1"));
    const std::string Completion = ReadText(Source("docs/completion/trovelle-thumbs"));
    for (const std::string& Option : Options) {
        // Every hyphen of an option is escaped in the page.
        std::string Escaped;
        for (char C : Option)
            Escaped += C == '-' ? std::string("\\-") : std::string(1, C);
        EXPECT_TRUE(Contains(Manual, Escaped)) << Option << " missing in the manual page";
        EXPECT_TRUE(Contains(Completion, " " + Option)) << Option << " missing in the completion";
    }
    for (const char* Status : {"130", "141", "143"}) {
        EXPECT_TRUE(Contains(Help.Out, Status)) << Status;
        EXPECT_TRUE(Contains(Manual, std::string(".B ") + Status)) << Status;
    }
}

// Each manual page describes exactly the options its program's --help lists, so that
// neither can change without the other.
TEST(ThumbsToolDocs, ManualPagesDescribeTheOptionsHelpLists) {
    const std::pair<const char*, const char*> Programs[] = {{"trovelle-thumbs", "docs/man/trovelle-thumbs.1"},
                                                            {"trovelle", "docs/man/trovelle.1"}};
    for (const auto& [Program, Page] : Programs) {
        SCOPED_TRACE(Program);
        const std::string Help = RunCommand(ShellQuote(std::string(TEST_BINDIR) + "/" + Program) + " --help");
        const std::set<std::string> Listed = LongOptionsIn(Help);
        EXPECT_TRUE(Listed.count("--help") && Listed.count("--version")) << Help;
        EXPECT_EQ(ManualOptions(ReadText(Source(Page))), Listed);
    }
    // The window's page says what it does, not what an earlier version did.
    const std::string Window = ReadText(Source("docs/man/trovelle.1"));
    for (const char* Said :
         {"[\\fIVIDEO\\fR]", "trovelle.conf", "TROVELLE_DECODER_LOG", "dropping", "Ctrl+O"})
        EXPECT_TRUE(Contains(Window, Said)) << Said;
    for (const char* Gone : {"reads no command-line arguments", "stores no settings"})
        EXPECT_FALSE(Contains(Window, Gone)) << Gone;
}

TEST(ThumbsToolDocs, ManualPagesRenderWithoutWarnings) {
    for (const char* Page : {"docs/man/trovelle-thumbs.1", "docs/man/trovelle.1"}) {
        const std::string Path = Source(Page);
        ASSERT_FALSE(ReadText(Path).empty()) << Path;
        EXPECT_EQ(RunCommand("groff -man -ww -z " + ShellQuote(Path) + " 2>&1"), "") << Path;
        EXPECT_TRUE(Contains(RunCommand("groff -man -Tutf8 -P-cbou " + ShellQuote(Path) + " 2>/dev/null"),
                             "SYNOPSIS"));
    }
}

TEST(ThumbsToolDocs, BashCompletion) {
    struct TCase {
        const char* Line; // the words typed, the last one being completed
        const char* Offers;
    };
    const TCase Cases[] = {
        {"trovelle-thumbs --for", "--format"},   {"trovelle-thumbs --q", "--quality --quiet"},
        {"trovelle-thumbs -f ", "jpg png webp"}, {"trovelle-thumbs --format w", "webp"},
        {"trovelle-thumbs --format=p", "png"},   {"trovelle-thumbs -p ", ""},
        {"trovelle-thumbs -r 10 ", ""},
    };
    for (const TCase& C : Cases) {
        const std::string Script = "source " + ShellQuote(Source("docs/completion/trovelle-thumbs")) +
                                   "; COMP_WORDS=(" + C.Line +
                                   (std::string(C.Line).back() == ' ' ? "''" : "") +
                                   "); COMP_CWORD=$(( ${#COMP_WORDS[@]} - 1 )); _trovelle_thumbs; "
                                   "echo -n \"${COMPREPLY[*]}\"";
        EXPECT_EQ(RunCommand("bash -c " + ShellQuote(Script)), C.Offers) << C.Line;
    }
    // Video files and folders for the rest, in a folder of known contents.
    TScratch Dir;
    for (const char* Name : {"fa.mp4", "fb.MKV", "fc.txt", "g.webm"})
        std::ofstream(Dir.Folder() + Name) << "x";
    std::filesystem::create_directory(Dir.Folder() + "fd");
    const std::string Videos =
        RunCommand("cd " + ShellQuote(Dir.Path) + " && bash -c " +
                   ShellQuote("source " + ShellQuote(Source("docs/completion/trovelle-thumbs")) +
                              "; COMP_WORDS=(trovelle-thumbs f); COMP_CWORD=1; "
                              "_trovelle_thumbs; echo -n \"${COMPREPLY[*]}\""));
    std::istringstream Words(Videos);
    std::set<std::string> Offered{std::istream_iterator<std::string>(Words), {}};
    EXPECT_EQ(Offered, (std::set<std::string>{"fa.mp4", "fb.MKV", "fd"})) << Videos;
    // After --, a name that starts with a dash is a file.
    std::ofstream(Dir.Folder() + "-odd.mp4") << "x";
    const std::string AfterDashes =
        RunCommand("cd " + ShellQuote(Dir.Path) + " && bash -c " +
                   ShellQuote("source " + ShellQuote(Source("docs/completion/trovelle-thumbs")) +
                              "; COMP_WORDS=(trovelle-thumbs -- -o); COMP_CWORD=2; "
                              "_trovelle_thumbs; echo -n \"${COMPREPLY[*]}\""));
    EXPECT_EQ(AfterDashes, "-odd.mp4");
}

// The list of the videos the program opens: MIME types shared-mime-info knows, by their own
// names, whose extensions include those of the containers the decoding library reads (some of
// them only from the list's own additions), and none of the files of a Blu-ray folder.
TEST(VideoTypes, TheListIsTheMimeDatabases) {
    const QMimeDatabase Database;
    const QStringList Types = VideoMimeTypes();
    ASSERT_FALSE(Types.isEmpty());
    EXPECT_EQ(std::set<QString>(Types.begin(), Types.end()).size(), static_cast<size_t>(Types.size()))
        << "a type listed twice";
    for (const QString& Name : Types) {
        const QMimeType Type = Database.mimeTypeForName(Name);
        EXPECT_TRUE(Type.isValid()) << Name.toStdString() << " is unknown to shared-mime-info";
        EXPECT_EQ(Type.name(), Name) << "an alias: " << Name.toStdString();
        EXPECT_FALSE(Type.suffixes().isEmpty()) << Name.toStdString();
    }
    const QStringList Extensions = VideoExtensions();
    for (const char* Taken :
         {"mp4",  "mov", "mkv", "mk3d", "webm", "avi", "wmv", "asf", "mpg", "vob", "m1v",   "m2v", "ts",
          "m2ts", "ogv", "ogg", "flv",  "3gp",  "3g2", "dv",  "mxf", "nut", "y4m", "mjpeg", "rm",  "rmvb"})
        EXPECT_TRUE(Extensions.contains(QLatin1String(Taken))) << Taken;
    for (const char* Left : {"mpls", "clpi", "bdmv", "3ga", "txt", "m4a", "jpg"})
        EXPECT_FALSE(Extensions.contains(QLatin1String(Left))) << Left;
    for (const QString& Extension : Extensions)
        EXPECT_EQ(Extension, Extension.toLower());
}

// A file manager runs the thumbnailer of the type the MIME database gives a file, by its name
// and by its content alone: the type of every kind of test video is in the list (Theora in Ogg is
// video/x-theora+ogg, more than video/ogg).
TEST(VideoTypes, EveryTestVideosTypeIsListed) {
    const QMimeDatabase Database;
    const QStringList Types = VideoMimeTypes();
    // ByContent: also the type its content alone gives (GLib's file managers look into an Ogg
    // file); other containers' content alone gives a generic type (application/x-matroska).
    const std::pair<const char*, bool> Videos[] = {{"theora.ogv", true},
                                                   {"vfr.ogv", true},
                                                   {"matrix/theora.ogv", true},
                                                   {"vp9.webm", false},
                                                   {"hevc.mp4", false},
                                                   {"mpeg2.mpg", false},
                                                   {"one_gop.ts", false},
                                                   {"mpeg4.avi", false},
                                                   {"wmv2.wmv", false},
                                                   {"matrix/h264_pyramid.mkv", false},
                                                   {"matrix/mjpeg.avi", false},
                                                   {"matrix/wmv2.asf", false},
                                                   {"matrix/mpeg2_open_gop.ts", false}};
    for (const auto& [Video, ByContent] : Videos) {
        for (const QMimeDatabase::MatchMode Mode :
             {QMimeDatabase::MatchDefault, QMimeDatabase::MatchContent}) {
            if (Mode == QMimeDatabase::MatchContent && !ByContent)
                continue;
            const std::string Type =
                Database.mimeTypeForFile(QString::fromStdString(Fixture(Video)), Mode).name().toStdString();
            EXPECT_TRUE(Types.contains(QString::fromStdString(Type))) << Video << ": " << Type;
        }
    }
}

// The menu entry and the file managers' thumbnailer entry (as it is installed) open exactly
// the listed types, in the list's order.
TEST(VideoTypes, DesktopEntriesNameTheListedTypes) {
    const std::string Listed = VideoMimeTypes().join(QLatin1Char(';')).toStdString() + ";";
    for (const std::string& Entry :
         {Source("resources/org.example.trovelle.desktop"), std::string(TEST_THUMBNAILER)}) {
        SCOPED_TRACE(Entry);
        std::istringstream Lines(ReadText(Entry));
        std::vector<std::string> Values;
        for (std::string Line; std::getline(Lines, Line);)
            if (Line.rfind("MimeType=", 0) == 0)
                Values.push_back(Line.substr(9));
        EXPECT_EQ(Values, std::vector<std::string>{Listed});
    }
}

// The completion offers a file by the same extensions as -R takes it, in any case.
TEST(VideoTypes, CompletionOffersTheListedExtensions) {
    TScratch Dir;
    std::set<std::string> Videos;
    for (const QString& Extension : VideoExtensions()) {
        std::string Upper = Extension.toStdString();
        for (char& C : Upper)
            C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
        for (const std::string& Name : {"v." + Extension.toStdString(), "w." + Upper}) {
            ASSERT_TRUE(HasVideoExtension(Name)) << Name;
            std::ofstream(Dir.Folder() + Name) << "x";
            Videos.insert(Name);
        }
    }
    for (const char* Other : {"n.txt", "n.mpls", "n.m4a", "n.jpg", "mp4"}) {
        ASSERT_FALSE(HasVideoExtension(Other)) << Other;
        std::ofstream(Dir.Folder() + Other) << "x";
    }
    const std::string Offered =
        RunCommand("cd " + ShellQuote(Dir.Path) + " && bash -c " +
                   ShellQuote("source " + ShellQuote(Source("docs/completion/trovelle-thumbs")) +
                              "; COMP_WORDS=(trovelle-thumbs ''); COMP_CWORD=1; "
                              "_trovelle_thumbs; printf '%s\\n' \"${COMPREPLY[@]}\""));
    std::istringstream Words(Offered);
    const std::set<std::string> Got{std::istream_iterator<std::string>(Words), {}};
    EXPECT_EQ(Got, Videos) << "the completion's extensions: "
                           << VideoExtensions().join(QLatin1Char('|')).toStdString();
}

TEST(ThumbsToolDocs, LinksNoGuiLibrary) {
    const std::string Libraries = RunCommand("ldd " + ShellQuote(ToolPath()));
    ASSERT_TRUE(Contains(Libraries, "libQt6Core")) << Libraries;
    for (const char* Gui : {"libQt6Gui", "libQt6Widgets", "libSDL", "libGL"})
        EXPECT_FALSE(Contains(Libraries, Gui)) << Gui << " linked:\n" << Libraries;
    // The X client libraries come in only with Cairo, which the contact sheets draw with: the
    // distribution's Cairo links them for its window surfaces, and the sheets' image surfaces
    // never open a display (the sheet tests run without one).
    const std::string Cairo = RunCommand("ldd " + ShellQuote(ToolPath()) + " | awk '/libcairo.so/ {print $3}'");
    const std::string CairoLibraries = Cairo.empty() ? "" : RunCommand("ldd " + ShellQuote(Cairo.substr(0, Cairo.find('\n'))));
    for (const char* X : {"libX11", "libxcb"})
        EXPECT_TRUE(!Contains(Libraries, X) || Contains(CairoLibraries, X)) << X << " linked:\n" << Libraries;
}
