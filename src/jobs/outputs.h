// What a video's thumbnail folder already holds: the thumbnails of earlier runs, which a
// run reports (nothing hidden) or, with --clean, removes first. Only files named
// NAME_N.EXT or NAME_HH-MM-SS.mmm.EXT, EXT jpg, png or webp, count; nothing else in the
// folder is touched.
#pragma once

#include <string>
#include <vector>

class TOutputFolder;

// The output formats, as the extension of the files.
extern const std::vector<std::string> kFormats;

// Whether FileName (without folder) is a thumbnail of Name: Name, "_", digits or a frame's
// time, ".", and one of the formats the tool writes.
bool IsThumbnailOf(const std::string& FileName, const std::string& Name);

// The thumbnails of Name in Folder (names without folder); none when Folder does not exist.
std::vector<std::string> ThumbnailsOf(const TOutputFolder& Folder, const std::string& Name);

// Makes Folder with its parents; "" when it exists afterwards, else the system's reason.
std::string MakeFolders(const std::string& Folder);
