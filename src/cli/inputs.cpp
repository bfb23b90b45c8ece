#include "inputs.h"

#include "convertthread.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// What -R takes: the extensions of the window's open dialog and of the other containers
// the decoding library reads.
const char* const kVideoExtensions[] = {"mp4",  "m4v", "mov", "avi", "wmv",  "mpg", "mpeg",
                                        "m1v",  "m2v", "vob", "ts",  "m2ts", "mts", "mkv",
                                        "webm", "ogv", "flv", "3gp", "asf",  "divx"};

bool IsHidden(const fs::path& Path) {
    return Path.filename().string().rfind('.', 0) == 0;
}

// The videos under Folder in name order; Error gets the reason when it cannot be walked.
std::vector<std::string> VideosUnder(const std::string& Folder, std::string& Error) {
    std::vector<std::string> Found;
    std::error_code Code;
    fs::recursive_directory_iterator It(Folder, Code), End;
    for (; !Code && It != End; It.increment(Code)) {
        if (IsHidden(It->path())) {
            It.disable_recursion_pending();
            continue;
        }
        std::error_code Ignored;
        if (It->is_regular_file(Ignored) && HasVideoExtension(It->path().string()))
            Found.push_back(It->path().string());
    }
    if (Code)
        Error = Code.message();
    std::sort(Found.begin(), Found.end());
    return Found;
}

} // namespace

bool HasVideoExtension(const std::string& Path) {
    std::string Extension = fs::path(Path).extension().string();
    if (Extension.empty())
        return false;
    Extension.erase(0, 1);
    std::transform(Extension.begin(), Extension.end(), Extension.begin(),
                   [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
    return std::find(std::begin(kVideoExtensions), std::end(kVideoExtensions), Extension) !=
           std::end(kVideoExtensions);
}

std::vector<TInput> ExpandInputs(const std::vector<std::string>& Items, bool Recursive) {
    std::vector<TInput> Inputs;
    for (const std::string& Item : Items) {
        struct stat Info {};
        if (stat(Item.c_str(), &Info) != 0 || !S_ISDIR(Info.st_mode)) {
            Inputs.push_back({Item, "", ""});
            continue;
        }
        if (!Recursive) {
            Inputs.push_back(
                {Item, "", std::string(std::strerror(EISDIR)) + " (-R takes the videos under it)"});
            continue;
        }
        std::string Error;
        const std::vector<std::string> Videos = VideosUnder(Item, Error);
        for (const std::string& Video : Videos)
            Inputs.push_back({Video, "", ""});
        if (!Error.empty())
            Inputs.push_back({Item, "", Error});
        else if (Videos.empty())
            Inputs.push_back({Item, "", "no video under this folder"});
    }
    // Later videos of a name already taken get -2, -3, ...
    std::set<std::string> Taken;
    for (TInput& Input : Inputs) {
        if (!Input.Error.empty())
            continue;
        const std::string Base = VideoName(Input.Path);
        Input.Name = Base;
        for (int N = 2; Taken.count(Input.Name); ++N)
            Input.Name = Base + "-" + std::to_string(N);
        Taken.insert(Input.Name);
    }
    return Inputs;
}
