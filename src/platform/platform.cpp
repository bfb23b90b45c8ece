#include "platform.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
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

std::string RuntimeFolder() {
    const char* RuntimeDir = std::getenv("XDG_RUNTIME_DIR");
    return IncludeTrailingSlash((RuntimeDir && *RuntimeDir) ? RuntimeDir : "/tmp");
}

std::string HandOverSocketPath(const std::string& Name) {
    return RuntimeFolder() + Name + ".socket";
}

std::string SettingsFile() {
    const char* ConfigHome = std::getenv("XDG_CONFIG_HOME");
    std::string Folder;
    if (ConfigHome && *ConfigHome == '/') {
        Folder = ConfigHome;
    } else {
        const char* Home = std::getenv("HOME");
        Folder = std::string(Home && *Home ? Home : "/tmp") + "/.config";
    }
    return IncludeTrailingSlash(Folder) + "trovelle/trovelle.conf";
}

bool AcquireSingleInstance(const std::string& Name) {
    const std::string LockPath = RuntimeFolder() + Name;
    // The descriptor stays open for the life of the process; the kernel drops the lock
    // when the process ends, also on a crash.
    const int Fd = open(LockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (Fd < 0)
        return true; // no lock file can be made: do not keep the user from working
    if (flock(Fd, LOCK_EX | LOCK_NB) != 0) {
        close(Fd);
        return false;
    }
    return true;
}
