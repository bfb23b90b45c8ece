#include "platform.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

std::string IncludeTrailingSlash(const std::string& Path) {
    if (Path.empty() || Path.back() == '/')
        return Path;
    return Path + "/";
}

std::string DefaultSaveFolder() {
    // Without HOME the framework answers the root folder for the home and its pictures:
    // no place for thumbnails nobody asked to go there.
    const char* Home = std::getenv("HOME");
    if (!Home || !*Home)
        return {};
    // Thumbnail folders are made one level deep inside it, so it must exist.
    QString Folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (Folder.isEmpty() || !QFileInfo(Folder).isDir())
        Folder = QString::fromUtf8(Home);
    if (QFileInfo(Folder).canonicalFilePath() == QStringLiteral("/"))
        return {};
    return IncludeTrailingSlash(Folder.toStdString());
}

int64_t PhysicalMemoryBytes() {
    const long Pages = sysconf(_SC_PHYS_PAGES);
    const long PageSize = sysconf(_SC_PAGESIZE);
    if (Pages <= 0 || PageSize <= 0)
        return INT64_MAX; // unknown: the allocation itself will tell
    return static_cast<int64_t>(Pages) * PageSize;
}

namespace {

// The fallback runtime folder's name in /tmp, followed by the user's number.
constexpr const char* kPrivateFolderStem = "/tmp/trovelle-runtime-";

// "" when Path is a folder (not a link) that this user owns and nobody else may enter;
// else why it is not. Fix narrows a folder of ours that is too open, as a folder we made
// ourselves may be after a umask or a copy.
std::string CheckPrivateFolder(const std::string& Path, bool Fix) {
    struct stat Info {};
    if (lstat(Path.c_str(), &Info) != 0)
        return Path + ": " + std::strerror(errno);
    if (S_ISLNK(Info.st_mode))
        return Path + " is a symbolic link";
    if (!S_ISDIR(Info.st_mode))
        return Path + " is not a folder";
    if (Info.st_uid != getuid())
        return Path + " belongs to another user (uid " + std::to_string(Info.st_uid) + ")";
    if ((Info.st_mode & 077) != 0) {
        if (!Fix || chmod(Path.c_str(), 0700) != 0) {
            char Mode[8];
            std::snprintf(Mode, sizeof Mode, "%04o", static_cast<unsigned>(Info.st_mode & 07777));
            return Path + " may be entered by other users (mode " + Mode + ")";
        }
    }
    return "";
}

} // namespace

std::string PrivateRuntimeFolder(std::string& Error) {
    const char* RuntimeDir = std::getenv("XDG_RUNTIME_DIR");
    std::string Folder;
    if (RuntimeDir && *RuntimeDir) {
        Folder = RuntimeDir;
        while (Folder.size() > 1 && Folder.back() == '/')
            Folder.pop_back();
        Error = CheckPrivateFolder(Folder, false);
    } else {
        Folder = kPrivateFolderStem + std::to_string(getuid());
        if (mkdir(Folder.c_str(), 0700) != 0 && errno != EEXIST)
            Error = Folder + ": " + std::strerror(errno);
        else
            Error = CheckPrivateFolder(Folder, true);
    }
    if (!Error.empty())
        return {};
    return IncludeTrailingSlash(Folder);
}

std::string InstanceName(const std::string& Program, const std::string& Display) {
    if (Display.empty())
        return Program;
    // A socket's path holds 107 bytes, the runtime folder's included.
    constexpr size_t kMaxDisplay = 40;
    constexpr size_t kKeptStart = 31;
    std::string Safe;
    for (const char C : Display) {
        const bool Plain = (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9') ||
                           C == '.' || C == '-' || C == '_';
        Safe += Plain ? C : '_';
    }
    if (Safe.size() > kMaxDisplay) {
        // FNV-1a of the whole display: two long names that share their start still differ.
        uint32_t Hash = 2166136261u;
        for (const char C : Display)
            Hash = (Hash ^ static_cast<unsigned char>(C)) * 16777619u;
        char Hex[9];
        std::snprintf(Hex, sizeof Hex, "%08x", Hash);
        Safe = Safe.substr(0, kKeptStart) + '-' + Hex;
    }
    return Program + '-' + Safe;
}

std::string HandOverSocketPath(const std::string& Name) {
    std::string Error;
    const std::string Folder = PrivateRuntimeFolder(Error);
    return Folder.empty() ? std::string() : Folder + Name + ".socket";
}

namespace {

// The user's XDG config folder, ending in "/".
std::string ConfigFolder() {
    const char* ConfigHome = std::getenv("XDG_CONFIG_HOME");
    std::string Folder;
    if (ConfigHome && *ConfigHome == '/') {
        Folder = ConfigHome;
    } else {
        const char* Home = std::getenv("HOME");
        Folder = std::string(Home && *Home ? Home : "/tmp") + "/.config";
    }
    return IncludeTrailingSlash(Folder);
}

} // namespace

std::string SettingsFile() {
    return ConfigFolder() + "trovelle/trovelle.conf";
}

std::string EarlierSettingsFile() {
    return ConfigFolder() + "Trovelle/Trovelle.conf";
}

TInstanceLock AcquireSingleInstance(const std::string& Name, std::string& Error) {
    const std::string Folder = PrivateRuntimeFolder(Error);
    if (Folder.empty())
        return TInstanceLock::Unavailable;
    const std::string LockPath = Folder + Name + ".lock";
    // The descriptor stays open for the life of the process; the kernel drops the lock
    // when the process ends, also on a crash.
    const int Fd = open(LockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (Fd < 0) {
        Error = LockPath + ": " + std::strerror(errno);
        return TInstanceLock::Unavailable;
    }
    struct stat Info {};
    if (fstat(Fd, &Info) != 0 || !S_ISREG(Info.st_mode) || Info.st_uid != getuid()) {
        close(Fd);
        Error = LockPath + " is not a file of this user";
        return TInstanceLock::Unavailable;
    }
    if (flock(Fd, LOCK_EX | LOCK_NB) != 0) {
        close(Fd);
        return TInstanceLock::Held;
    }
    return TInstanceLock::Acquired;
}
