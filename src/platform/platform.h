// Trovelle's platform-specific services, each behind one small function: where the
// program lives, where thumbnails go by default and the single-instance lock. Everything
// else in the program is portable. Opening a link through the desktop is in openurl.h,
// apart, so that the command-line tool links no GUI library.
#pragma once

#include <cstdint>
#include <string>

// The folder of the program file, ending in "/".
std::string ProgramFolder();

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
