// Trovelle's platform-specific services, each behind one small function: where thumbnails
// go by default, the single-instance lock, where the session's and the settings' files
// live. Everything else in the program is portable. Opening a link through the desktop
// (openurl.h) and the hand-over to the running instance (handover.h) are apart, so that
// the command-line tool links no GUI or network library.
#pragma once

#include <cstdint>
#include <string>

// Where thumbnails go when no save folder was chosen: the user's pictures folder when it
// exists, else the home folder, ending in "/". Empty when there is no home folder (HOME
// unset or empty, or the root folder): then there is no default, and the caller says so.
std::string DefaultSaveFolder();

// The computer's physical memory in bytes.
int64_t PhysicalMemoryBytes();

// Appends "/" unless Path is empty or already ends in one.
std::string IncludeTrailingSlash(const std::string& Path);

// The folder for per-user files that live as long as the session and that nobody else
// may reach: $XDG_RUNTIME_DIR when it is set, a real folder (not a link), owned by this
// user and closed to everyone else (mode 0700); without it, a folder of our own in /tmp
// made and checked the same way. Empty, with the reason in Error, when neither can be had:
// a folder another user owns or may enter is never used. The single-instance lock and the
// hand-over socket live there.
std::string PrivateRuntimeFolder(std::string& Error);

enum class TInstanceLock {
    Acquired,   // this process is the running instance
    Held,       // another start of the program holds it
    Unavailable // no private lock can be had (the reason in Error)
};

// The name of the single instance of Program on Display (the display its window goes to,
// as the caller names it): "Program-DISPLAY", every character of the display that is not a
// letter, a digit, '.', '-' or '_' written as '_', so that ":0" gives "Program-_0"; a display
// too long for a socket's path is shortened to its start and a hash of the whole. Program
// alone without a display. Each display has its own lock and hand-over socket, so a start
// on another display opens a window of its own there.
std::string InstanceName(const std::string& Program, const std::string& Display);

// Takes the program-wide single-instance lock named Name (a file in the private runtime
// folder, never reached through a link and owned by this user) for the life of the process.
TInstanceLock AcquireSingleInstance(const std::string& Name, std::string& Error);

// The full path of the running instance's hand-over socket for the program named Name;
// empty when there is no private runtime folder.
std::string HandOverSocketPath(const std::string& Name);

// The settings file: trovelle/trovelle.conf in the user's XDG config folder
// ($XDG_CONFIG_HOME, else ~/.config).
std::string SettingsFile();
// Where earlier versions kept the contact sheet's values apart from the other settings
// (QSettings' file of organisation and program "Trovelle"): Trovelle/Trovelle.conf in the
// same config folder. Read once, when the settings file holds no sheet values yet.
std::string EarlierSettingsFile();
