#include "outputs.h"

#include "engine/exceptions.h"
#include "image/outputfolder.h"
#include "jobrequest.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <regex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

const std::vector<std::string> kFormats = {"jpg", "png", "webp"};

namespace {

namespace fs = std::filesystem;

// The name of a video whose file name gives none that can name a folder.
constexpr const char* kNamelessVideo = "video";

// The hidden file that holds a name for its video: in the folder, or beside the sheet.
constexpr const char* kFolderMarker = ".trovelle-video";
constexpr const char* kSheetMarkerSuffix = "_sheet.trovelle-video";
// Names tried before giving up: Base, Base-2, ... Base-1000.
constexpr int kMostClaims = 1000;

// What the marker says of Video: its path, size and time of change.
std::string Identity(const std::string& Video) {
    char Real[PATH_MAX];
    const std::string Path = realpath(Video.c_str(), Real) ? std::string(Real) : Video;
    struct stat Info {};
    stat(Video.c_str(), &Info);
    return "path=" + Path + "\nsize=" + std::to_string(Info.st_size) +
           "\nchanged=" + std::to_string(Info.st_mtim.tv_sec) + "." + std::to_string(Info.st_mtim.tv_nsec) +
           "\n";
}

std::string ReadMarker(int At, const char* Name) {
    const int Fd = openat(At, Name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (Fd < 0)
        return {};
    std::string Text;
    char Buffer[4096];
    for (ssize_t Read; (Read = read(Fd, Buffer, sizeof Buffer)) > 0 && Text.size() < (1 << 16);)
        Text.append(Buffer, static_cast<std::size_t>(Read));
    close(Fd);
    return Text;
}

// Whether Text is a whole mark: a mark still being written by a run at the same time, or
// rewritten by its holder, reads short or with a piece of the old text behind.
bool WholeMarker(const std::string& Text) {
    static const std::regex Whole("path=[\\s\\S]*\\nsize=[0-9]+\\nchanged=[0-9]+\\.[0-9]+\\n");
    return std::regex_match(Text, Whole);
}

// Whether the whole marks A and B name one video: the same path, whatever its size and
// time of change.
bool SameVideo(const std::string& A, const std::string& B) {
    const std::size_t Path = A.rfind("\nsize=");
    return Path == B.rfind("\nsize=") && A.compare(0, Path, B, 0, Path) == 0;
}

// Makes the marker Name of At for Identity, exclusively: false when one is there already.
bool MakeMarker(const TOutputFolder& At, const char* Name, const std::string& Identity,
                const std::string& Where) {
    const int Code = At.CreateFile(Name, Identity.data(), Identity.size());
    if (Code == EEXIST)
        return false;
    if (Code)
        throw Exception("Cannot claim " + Where + ": " + std::strerror(Code));
    return true;
}

// Whether the marker Name of At names the video of Identity: made now (Made), or made for it
// before.
bool OfThisVideo(const TOutputFolder& At, const char* Name, const std::string& Identity,
                 const std::string& Where, bool& Made) {
    Made = MakeMarker(At, Name, Identity, Where);
    if (Made)
        return true;
    for (int Try = 0; Try < 50; ++Try) {
        const std::string Text = ReadMarker(At.Fd(), Name);
        if (WholeMarker(Text))
            return SameVideo(Text, Identity);
        usleep(2000);
    }
    return false;
}

// The outcome of taking the lock on a name's marker.
enum class TLocked { Held, Busy, Other };

// Takes the lock on the marker Name of At for the video of Identity into Hold. Busy: another
// run holds it. Other: the marker was put back for another video meanwhile. A marker that
// names the video with another size or time is rewritten in place (Changed), so that the
// lock stays on the file every run opens.
TLocked LockMarker(const TOutputFolder& At, const char* Name, const std::string& Identity,
                   const std::string& Where, TNameHold& Hold, bool& Changed) {
    bool Writable = true;
    int Fd = openat(At.Fd(), Name, O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (Fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM)) {
        Writable = false;
        Fd = openat(At.Fd(), Name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    }
    if (Fd < 0)
        throw Exception("Cannot claim " + Where + ": " + std::strerror(errno));
    TNameHold Mine(Fd);
    // A file system without locks (ENOLCK) still gives the name: the runs of one video
    // then are not kept apart, as before there were locks.
    if (flock(Fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return TLocked::Busy;
    std::string Text;
    for (int Try = 0; Try < 50; ++Try) {
        Text.clear();
        char Buffer[4096];
        for (ssize_t Read; (Read = pread(Fd, Buffer, sizeof Buffer, static_cast<off_t>(Text.size()))) > 0 &&
                           Text.size() < (1 << 16);)
            Text.append(Buffer, static_cast<std::size_t>(Read));
        if (WholeMarker(Text))
            break;
        usleep(2000);
    }
    if (!WholeMarker(Text) || !SameVideo(Text, Identity))
        return TLocked::Other;
    Changed = Text != Identity;
    if (Changed && Writable &&
        (pwrite(Fd, Identity.data(), Identity.size(), 0) != static_cast<ssize_t>(Identity.size()) ||
         ftruncate(Fd, static_cast<off_t>(Identity.size())) != 0))
        throw Exception("Cannot claim " + Where + ": " + std::strerror(errno));
    Hold = std::move(Mine);
    return TLocked::Held;
}

// Whether the folder At holds files other than hidden ones (thumbnails of an earlier run).
bool HoldsFiles(int At) {
    const int Fd = openat(At, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (Fd < 0)
        return false;
    DIR* Dir = fdopendir(Fd);
    if (!Dir) {
        close(Fd);
        return false;
    }
    bool Found = false;
    while (dirent* Entry = readdir(Dir))
        if (Entry->d_name[0] != '.') {
            Found = true;
            break;
        }
    closedir(Dir);
    return Found;
}

} // namespace

bool IsOutputFormat(const std::string& Format) {
    return std::find(kFormats.begin(), kFormats.end(), Format) != kFormats.end();
}

void CheckOutputChoice(const std::string& Format, int32_t Quality) {
    if (Quality < 1 || Quality > 100)
        throw Exception("The quality must be from 1 to 100 (it is " + std::to_string(Quality) + ")");
    if (!IsOutputFormat(Format))
        throw Exception("Pictures cannot be written as \"" + Format + "\" (jpg, png or webp)");
}

std::string SaveFolderOrDefault(const std::string& Folder) {
    if (!Folder.empty())
        return Folder;
    const std::string Default = DefaultSaveFolder();
    if (Default.empty())
        throw Exception("There is no default save folder (no home folder is set): choose a save folder");
    return Default;
}

std::string VideoName(const std::string& Path) {
    const size_t Slash = Path.find_last_of('/');
    std::string Name = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
    const size_t Dot = Name.find_last_of('.');
    if (Dot != std::string::npos && Dot > 0)
        Name.erase(Dot);
    // "." and ".." (from "...mp4", "..mp4") name the folder itself and its parent, and an
    // empty name none: such videos get a name of their own.
    if (Name.find_first_not_of('.') == std::string::npos)
        Name = kNamelessVideo;
    return Name;
}

std::string ThumbnailFileName(const TConvertRec& Rec, int64_t Ordinal, int64_t Microseconds, int32_t Repeat) {
    if (Rec.NamesByTime) {
        const int64_t Millis = std::max<int64_t>(0, Microseconds) / 1000;
        char Time[48];
        std::snprintf(Time, sizeof Time, "%02lld-%02d-%02d.%03d", static_cast<long long>(Millis / 3600000),
                      static_cast<int>(Millis / 60000 % 60), static_cast<int>(Millis / 1000 % 60),
                      static_cast<int>(Millis % 1000));
        return Rec.Name + "_" + Time + (Repeat > 1 ? "-" + std::to_string(Repeat) : "") + "." + Rec.Format;
    }
    std::string Number = std::to_string(Ordinal);
    if (Number.size() < static_cast<size_t>(std::max(Rec.Digits, 0)))
        Number.insert(0, static_cast<size_t>(Rec.Digits) - Number.size(), '0');
    return Rec.Name + "_" + Number + "." + Rec.Format;
}

std::string ThumbnailFolder(const TConvertRec& Rec) {
    return IncludeTrailingSlash(SaveFolderOrDefault(Rec.Folder)) + Rec.Name;
}

std::string SheetFileName(const TSheetRec& Rec) {
    const std::string Name = Rec.Name.empty() ? VideoName(Rec.Path) : Rec.Name;
    return IncludeTrailingSlash(SaveFolderOrDefault(Rec.Folder)) + Name + "_sheet." + Rec.Format;
}

TNameHold::TNameHold(TNameHold&& Other) noexcept : FFd(std::exchange(Other.FFd, -1)) {}

TNameHold& TNameHold::operator=(TNameHold&& Other) noexcept {
    if (this != &Other) {
        Release();
        FFd = std::exchange(Other.FFd, -1);
    }
    return *this;
}

TNameHold::~TNameHold() {
    Release();
}

void TNameHold::Release() {
    // Closing the marker's only descriptor lets go of its lock.
    if (FFd >= 0)
        close(FFd);
    FFd = -1;
}

TClaimedName ClaimOutputName(const std::string& SaveFolder, const std::string& Base, const std::string& Video,
                             TOutputKind Kind) {
    const std::string Mine = Identity(Video);
    const TOutputFolder Parent(SaveFolder);
    TClaimedName Claim;
    for (int N = 1; N <= kMostClaims; ++N) {
        Claim.Name = N == 1 ? Base : Base + "-" + std::to_string(N);
        TLocked Locked = TLocked::Other;
        bool Made = false;
        if (Kind == TOutputKind::Sheet) {
            const std::string Marker = "." + Claim.Name + kSheetMarkerSuffix;
            const std::string Where = IncludeTrailingSlash(SaveFolder) + Claim.Name + "_sheet";
            if (OfThisVideo(Parent, Marker.c_str(), Mine, Where, Made))
                Locked = LockMarker(Parent, Marker.c_str(), Mine, Where, Claim.Hold, Claim.Changed);
        } else {
            const TOutputFolder Folder(SaveFolder, Claim.Name, TOutputFolder::TOpen::Make);
            // A folder of an older run (thumbnails, no marker) is taken over by the first video
            // that comes for its name.
            const bool Older = HoldsFiles(Folder.Fd());
            if (OfThisVideo(Folder, kFolderMarker, Mine, Folder.Path(), Made))
                Locked = LockMarker(Folder, kFolderMarker, Mine, Folder.Path(), Claim.Hold, Claim.Changed);
            Claim.TookOver = Made && Older;
        }
        if (Locked == TLocked::Held)
            return Claim;
        if (Locked == TLocked::Busy && Claim.Busy.empty())
            Claim.Busy = Claim.Name;
    }
    throw Exception("Cannot claim a name for " + Video + " in " + SaveFolder + ": " +
                    std::to_string(kMostClaims) + " names of " + Base + " are taken");
}

bool IsThumbnailOf(const std::string& FileName, const std::string& Name) {
    const std::string Head = Name + "_";
    if (FileName.compare(0, Head.size(), Head) != 0)
        return false;
    // NAME_7.jpg, or by the frame's time NAME_00-01-05.120.jpg (NAME_00-01-05.120-2.jpg).
    static const std::regex Number("[0-9]+"), Time("[0-9]{2,}-[0-9]{2}-[0-9]{2}\\.[0-9]{3}(-[0-9]+)?");
    const size_t Dot = FileName.rfind('.');
    if (Dot == std::string::npos || Dot <= Head.size())
        return false;
    const std::string Stem = FileName.substr(Head.size(), Dot - Head.size());
    if (!std::regex_match(Stem, Number) && !std::regex_match(Stem, Time))
        return false;
    return IsOutputFormat(FileName.substr(Dot + 1));
}

std::vector<std::string> ThumbnailsOf(const TOutputFolder& Folder, const std::string& Name) {
    // Only files (or links) are thumbnails; a folder named like one is not touched.
    return Folder.List([&](const std::string& File) {
        struct stat Info {};
        return IsThumbnailOf(File, Name) &&
               fstatat(Folder.Fd(), File.c_str(), &Info, AT_SYMLINK_NOFOLLOW) == 0 &&
               (S_ISREG(Info.st_mode) || S_ISLNK(Info.st_mode));
    });
}

std::string MakeFolders(const std::string& Folder) {
    std::error_code Code;
    fs::create_directories(Folder, Code);
    if (Code)
        return Code.message();
    if (!fs::is_directory(Folder, Code))
        return "a file of that name is in the way";
    return "";
}

std::string ClockText(int64_t Seconds) {
    Seconds = std::max<int64_t>(0, Seconds);
    char Text[32];
    if (Seconds < 3600)
        std::snprintf(Text, sizeof Text, "%d:%02d", static_cast<int>(Seconds / 60),
                      static_cast<int>(Seconds % 60));
    else
        std::snprintf(Text, sizeof Text, "%lld:%02d:%02d", static_cast<long long>(Seconds / 3600),
                      static_cast<int>(Seconds / 60 % 60), static_cast<int>(Seconds % 60));
    return Text;
}

std::string ClockTextTenths(int64_t Microseconds) {
    const int64_t Tenths = std::max<int64_t>(0, Microseconds) / 100000;
    return ClockText(Tenths / 10) + "." + std::to_string(Tenths % 10);
}

std::string FrameFileName(const std::string& Name, int64_t Microseconds) {
    const int64_t Millis = std::max<int64_t>(0, Microseconds) / 1000;
    char Time[48];
    std::snprintf(Time, sizeof Time, "%lld-%02d-%02d.%03d", static_cast<long long>(Millis / 3600000),
                  static_cast<int>(Millis / 60000 % 60), static_cast<int>(Millis / 1000 % 60),
                  static_cast<int>(Millis % 1000));
    return Name + "_at_" + Time + ".png";
}
