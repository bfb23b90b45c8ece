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
