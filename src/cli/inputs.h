// The videos of one trovelle-thumbs run: the command line's files, and with -R every video
// under its folders; each with the name its thumbnails and their folder are claimed under.
#pragma once

#include <string>
#include <vector>

struct TInput {
    std::string Path;
    std::string Name;  // the video's name, which its outputs are claimed under
    std::string Error; // why this is not taken; empty when it is
};

// Expands the command line's items in order; folders are taken (videos by extension, those
// of VideoExtensions, sorted, hidden files and folders skipped) only when Recursive, else
// they carry an error.
std::vector<TInput> ExpandInputs(const std::vector<std::string>& Items, bool Recursive);
