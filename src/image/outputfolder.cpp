#include "outputfolder.h"

#include "engine/exceptions.h"
#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Bytes of the final name kept in the temporary one, so that it stays a valid name.
constexpr std::size_t kTemporaryNameStem = 200;
constexpr int kTemporaryNameTries = 100;
constexpr const char* kPartSuffix = ".part";

// errno of the first failing write, or 0 when all Size bytes were written.
int WriteAll(int Fd, const char* Data, std::size_t Size) {
    for (std::size_t Done = 0; Done < Size;) {
        const ssize_t Written = write(Fd, Data + Done, Size - Done);
        if (Written > 0)
            Done += static_cast<std::size_t>(Written);
        else if (Written == 0)
            return EIO;
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

bool AllDigits(const std::string& Text) {
    return !Text.empty() &&
           std::all_of(Text.begin(), Text.end(), [](char C) { return C >= '0' && C <= '9'; });
}

int OpenFolder(int At, const char* Name, int Follow) {
    return openat(At, Name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | Follow);
}

// Why the folder Name of At (shown as Path) could not be opened with Code.
std::string WhyNot(int At, const char* Name, const std::string& Path, int Code) {
    struct stat Info {};
    if (fstatat(At, Name, &Info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISLNK(Info.st_mode))
            return "Cannot use the folder " + Path + ": it is a symbolic link, which is not followed";
        if (!S_ISDIR(Info.st_mode))
            return "Cannot create the folder " + Path + ": a file of that name is in the way";
    }
    return "Cannot open the folder " + Path + ": " + std::strerror(Code);
}

} // namespace

bool IsTemporaryPart(const std::string& Name, long& Pid) {
    const std::size_t Suffix = std::strlen(kPartSuffix);
    if (Name.size() <= Suffix + 1 || Name[0] != '.' ||
        Name.compare(Name.size() - Suffix, Suffix, kPartSuffix) != 0)
        return false;
    const std::string Stem = Name.substr(0, Name.size() - Suffix); // .NAME.PID-N
    const std::size_t Dash = Stem.find_last_of('-');
    const std::size_t Dot = Stem.find_last_of('.', Dash == std::string::npos ? 0 : Dash);
    if (Dash == std::string::npos || Dot == std::string::npos || Dot == 0)
        return false;
    const std::string PidText = Stem.substr(Dot + 1, Dash - Dot - 1);
    if (!AllDigits(PidText) || !AllDigits(Stem.substr(Dash + 1)) || PidText.size() > 9)
        return false;
    Pid = std::stol(PidText);
    return Pid > 0;
}

TOutputFolder::TOutputFolder(const std::string& Parent, const std::string& Name, TOpen How)
    : FPath(Parent + (Parent.empty() || Parent.back() == '/' ? "" : "/") + Name) {
    const int ParentFd = OpenFolder(AT_FDCWD, Parent.empty() ? "." : Parent.c_str(), 0);
    if (ParentFd < 0) {
        if (How == TOpen::Existing && errno == ENOENT)
            return;
        throw Exception("Cannot open the folder " + Parent + ": " + std::strerror(errno));
    }
    if (How == TOpen::Make && mkdirat(ParentFd, Name.c_str(), 0777) != 0 && errno != EEXIST) {
        const int Code = errno;
        close(ParentFd);
        throw Exception("Cannot create the folder " + FPath + ": " + std::strerror(Code));
    }
    FFd = OpenFolder(ParentFd, Name.c_str(), O_NOFOLLOW);
    const int Code = errno;
    const std::string Refused = FFd < 0 && !(How == TOpen::Existing && Code == ENOENT)
                                    ? WhyNot(ParentFd, Name.c_str(), FPath, Code)
                                    : "";
    close(ParentFd);
    if (!Refused.empty())
        throw Exception(Refused);
}

TOutputFolder::TOutputFolder(const std::string& Folder) : FPath(Folder) {
    FFd = OpenFolder(AT_FDCWD, Folder.empty() ? "." : Folder.c_str(), 0);
    if (FFd < 0)
        throw EOSError(errno, "Cannot open the folder " + FPath + ": " + std::strerror(errno));
}

std::unique_ptr<TOutputFolder> FolderOf(const std::string& FileName, std::string& Name) {
    const std::size_t Slash = FileName.find_last_of('/');
    Name = FileName.substr(Slash == std::string::npos ? 0 : Slash + 1);
    try {
        return std::make_unique<TOutputFolder>(Slash == std::string::npos ? std::string(".")
                                                                          : FileName.substr(0, Slash + 1));
    } catch (const EOSError& E) {
        throw Exception("Cannot write " + FileName + ": " + std::strerror(E.ErrorCode));
    }
}

TOutputFolder::~TOutputFolder() {
    if (FFd >= 0)
        close(FFd);
}

int TOutputFolder::WriteFile(const std::string& Name, const void* Data, std::size_t Size) const {
    if (FFd < 0)
        return ENOENT;
    static std::atomic<unsigned> Counter{0};
    std::string Temporary;
    int Fd = -1;
    for (int Try = 0; Fd < 0 && Try < kTemporaryNameTries; ++Try) {
        // Built piece by piece: GCC 12 warns wrongly about a chain of + starting with a literal.
        Temporary.assign(1, '.');
        Temporary.append(Name, 0, kTemporaryNameStem);
        Temporary.append(".").append(std::to_string(getpid())).append("-");
        Temporary.append(std::to_string(Counter++)).append(kPartSuffix);
        Fd = openat(FFd, Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (Fd < 0 && errno != EEXIST)
            return errno;
    }
    if (Fd < 0)
        return EEXIST;
    int Code = WriteAll(Fd, static_cast<const char*>(Data), Size);
    if (close(Fd) != 0 && !Code)
        Code = errno;
    if (!Code && renameat(FFd, Temporary.c_str(), FFd, Name.c_str()) != 0)
        Code = errno;
    if (Code)
        unlinkat(FFd, Temporary.c_str(), 0);
    return Code;
}

int TOutputFolder::WriteInPlace(const std::string& Name, const void* Data, std::size_t Size) const {
    if (FFd < 0)
        return ENOENT;
    const int Fd = openat(FFd, Name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (Fd < 0)
        return errno;
    int Code = WriteAll(Fd, static_cast<const char*>(Data), Size);
    if (close(Fd) != 0 && !Code)
        Code = errno;
    return Code;
}

int TOutputFolder::CreateFile(const std::string& Name, const void* Data, std::size_t Size) const {
    const int Fd = openat(FFd, Name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (Fd < 0)
        return errno;
    const int Code = WriteAll(Fd, static_cast<const char*>(Data), Size);
    close(Fd);
    return Code;
}

std::vector<std::string> TOutputFolder::List(const std::function<bool(const std::string&)>& Wanted) const {
    std::vector<std::string> Found;
    if (FFd < 0)
        return Found;
    // The listing gets a descriptor of its own: closedir closes it, and ours stays.
    const int ListFd = openat(FFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* Dir = ListFd >= 0 ? fdopendir(ListFd) : nullptr;
    if (!Dir) {
        if (ListFd >= 0)
            close(ListFd);
        return Found;
    }
    while (const dirent* Entry = readdir(Dir)) {
        const std::string Name = Entry->d_name;
        if (Name != "." && Name != ".." && Wanted(Name))
            Found.push_back(Name);
    }
    closedir(Dir);
    std::sort(Found.begin(), Found.end());
    return Found;
}

int TOutputFolder::Remove(const std::string& Name) const {
    if (FFd < 0)
        return ENOENT;
    return unlinkat(FFd, Name.c_str(), 0) == 0 ? 0 : errno;
}

int TOutputFolder::RemoveStaleParts() const {
    int Removed = 0;
    const auto Stale = [](const std::string& Name) {
        long Pid = 0;
        return IsTemporaryPart(Name, Pid) && kill(static_cast<pid_t>(Pid), 0) != 0 && errno == ESRCH;
    };
    for (const std::string& Name : List(Stale))
        if (Remove(Name) == 0)
            ++Removed;
    return Removed;
}

void TOutputFolder::Sync() const {
    if (FFd >= 0 && syncfs(FFd) != 0)
        throw Exception("Cannot write to the folder " + FPath + ": " + std::strerror(errno));
}
