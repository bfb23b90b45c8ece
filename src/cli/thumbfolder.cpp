#include "thumbfolder.h"

#include "options.h"
#include "outputfolder.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

bool IsThumbnailOf(const std::string& FileName, const std::string& Name) {
    const std::string Head = Name + "_";
    if (FileName.compare(0, Head.size(), Head) != 0)
        return false;
    const size_t Dot = FileName.find('.', Head.size());
    if (Dot == std::string::npos || Dot == Head.size())
        return false;
    for (size_t I = Head.size(); I < Dot; ++I)
        if (FileName[I] < '0' || FileName[I] > '9')
            return false;
    return std::find(kFormats.begin(), kFormats.end(), FileName.substr(Dot + 1)) != kFormats.end();
}

std::vector<std::string> ThumbnailsOf(const TOutputFolder& Folder, const std::string& Name) {
    return Folder.List([&Name](const std::string& File) { return IsThumbnailOf(File, Name); });
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
