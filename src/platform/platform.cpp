#include "platform.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

std::string IncludeTrailingSlash(const std::string& Path) {
    if (Path.empty() || Path.back() == '/')
        return Path;
    return Path + "/";
}

std::string ProgramFolder() {
    std::error_code Error;
    const std::filesystem::path Exe = std::filesystem::read_symlink("/proc/self/exe", Error);
    if (Error)
        return "./";
    return IncludeTrailingSlash(Exe.parent_path().string());
}

std::string DefaultSaveFolder() {
    // Thumbnail folders are made one level deep inside it, so it must exist.
    QString Folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (Folder.isEmpty() || !QFileInfo(Folder).isDir())
        Folder = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    if (Folder.isEmpty()) {
        const char* Home = std::getenv("HOME");
        Folder = QString::fromUtf8(Home ? Home : "/tmp");
    }
    return IncludeTrailingSlash(Folder.toStdString());
}

bool AcquireSingleInstance(const std::string& Name) {
    const char* RuntimeDir = std::getenv("XDG_RUNTIME_DIR");
    const std::string Folder = (RuntimeDir && *RuntimeDir) ? RuntimeDir : "/tmp";
    const std::string LockPath = IncludeTrailingSlash(Folder) + Name;
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
