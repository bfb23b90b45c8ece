#include "outputs.h"

#include "image/outputfolder.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <regex>

const std::vector<std::string> kFormats = {"jpg", "png", "webp"};

namespace fs = std::filesystem;

bool IsThumbnailOf(const std::string& FileName, const std::string& Name) {
    const std::string Head = Name + "_";
    if (FileName.compare(0, Head.size(), Head) != 0)
        return false;
    // NAME_7.jpg, or by the frame's time NAME_00-01-05.120.jpg.
    static const std::regex Number("[0-9]+"), Time("[0-9]{2,}-[0-9]{2}-[0-9]{2}\\.[0-9]{3}");
    const size_t Dot = FileName.rfind('.');
    if (Dot == std::string::npos || Dot <= Head.size())
        return false;
    const std::string Stem = FileName.substr(Head.size(), Dot - Head.size());
    if (!std::regex_match(Stem, Number) && !std::regex_match(Stem, Time))
        return false;
    return std::find(kFormats.begin(), kFormats.end(), FileName.substr(Dot + 1)) != kFormats.end();
}

std::vector<std::string> ThumbnailsOf(const TOutputFolder& Folder, const std::string& Name) {
    // Only files (or links) are thumbnails; a folder named like one is not touched.
    return Folder.List([&](const std::string& File) {
        struct stat Info {};
        return IsThumbnailOf(File, Name) && fstatat(Folder.Fd(), File.c_str(), &Info, AT_SYMLINK_NOFOLLOW) == 0 &&
               (S_ISREG(Info.st_mode) || S_ISLNK(Info.st_mode));
    });
}

std::string MakeFolders(const std::string& Folder) {
    std::error_code Code;
    fs::create_directories(Folder, Code);
    if (Code)
        return Code.message();
    if (!fs::is_directory(Folder, Code))
        return "a file of that name is in the way";
    return "";
}
