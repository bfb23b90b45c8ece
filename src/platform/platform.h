// Trovelle's platform-specific services, each behind one small function: where thumbnails
// go by default, the single-instance lock with the hand-over of a video to the running
// instance, where the settings live and opening a link through the desktop. Everything
// else in the program is portable.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <cstdint>

#include <functional>
#include <string>

// Where thumbnails go when no save folder was chosen: the user's pictures folder when it
// exists, else the home folder, ending in "/". Empty when there is no home folder (HOME
// unset or empty, or the root folder): then there is no default, and the caller says so.
std::string DefaultSaveFolder();

// The computer's physical memory in bytes.
int64_t PhysicalMemoryBytes();

// Appends "/" unless Path is empty or already ends in one.
std::string IncludeTrailingSlash(const std::string& Path);

// Takes the program-wide single-instance lock named Name for the life of the process.
// False when another process holds it.
bool AcquireSingleInstance(const std::string& Name);

// The folder for per-user files that live as long as the session: $XDG_RUNTIME_DIR, or
// /tmp without one. The single-instance lock and the hand-over socket live there.
std::string RuntimeFolder();

// The full path of the running instance's hand-over socket for the lock named Name.
std::string HandOverSocketPath(const std::string& Name);

// The settings file: trovelle/trovelle.conf in the user's XDG config folder
// ($XDG_CONFIG_HOME, else ~/.config).
std::string SettingsFile();

// Hands a URL (web page, mail link, local folder) to the desktop; the result is not examined.
void OpenURL(const std::string& Url);

// The running instance's end of the hand-over: a local socket server at
// HandOverSocketPath(Name). A later start connects, writes one line (the full path of a
// video, or nothing to only raise the window) and ends; each line arrives here as
// OnHandOver on the main thread.
class THandOverServer : public QObject {
public:
    explicit THandOverServer(const std::string& Name);
    // False when the socket could not be made; the program then simply runs without it.
    bool Listen();
    std::function<void(const QString& Video)> OnHandOver;

private:
    void Accept();
    std::string FName;
    QLocalServer FServer;
};

// A later start's end: passes Video (a full path, or empty) to the running instance.
// False when no instance listens or the line could not be written within the time limit.
bool HandOverToRunningInstance(const std::string& Name, const QString& Video, int TimeoutMs = 3000);
