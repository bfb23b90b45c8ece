#include "inputs.h"

#include "engine/videotypes.h"
#include "jobs/outputs.h"
#include "jobs/thumbnailjob.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool IsHidden(const fs::path& Path) {
    return Path.filename().string().rfind('.', 0) == 0;
}

// A folder that could not be read, and why.
struct TWalkError {
    std::string Folder, Reason;
};

// Adds the videos under Folder to Found; a folder that cannot be read is added to Errors and
// the walk goes on with the others, as find does. Links to folders are not followed.
void WalkFolder(const fs::path& Folder, std::vector<std::string>& Found, std::vector<TWalkError>& Errors) {
    std::error_code Code;
    fs::directory_iterator It(Folder, Code), End;
    std::vector<fs::path> Folders;
    for (; !Code && It != End; It.increment(Code)) {
        if (IsHidden(It->path()))
            continue;
        std::error_code Ignored;
        if (It->is_directory(Ignored) && !It->is_symlink(Ignored))
            Folders.push_back(It->path());
        else if (It->is_regular_file(Ignored) && HasVideoExtension(It->path().string()))
            Found.push_back(It->path().string());
    }
    if (Code)
        Errors.push_back({Folder.string(), Code.message()});
    for (const fs::path& Sub : Folders)
        WalkFolder(Sub, Found, Errors);
}

} // namespace

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
        std::vector<std::string> Videos;
        std::vector<TWalkError> Errors;
        WalkFolder(Item, Videos, Errors);
        std::sort(Videos.begin(), Videos.end());
        for (const std::string& Video : Videos)
            Inputs.push_back({Video, "", ""});
        for (const TWalkError& Error : Errors)
            Inputs.push_back({Error.Folder, "", Error.Reason});
        if (Videos.empty() && Errors.empty())
            Inputs.push_back({Item, "", "no video under this folder"});
    }
    // A file given twice (by another path, a link) is done once.
    std::set<std::pair<dev_t, ino_t>> Seen;
    Inputs.erase(std::remove_if(Inputs.begin(), Inputs.end(),
                                [&](const TInput& Input) {
                                    struct stat Info {};
                                    return Input.Error.empty() && stat(Input.Path.c_str(), &Info) == 0 &&
                                           S_ISREG(Info.st_mode) && !Seen.insert({Info.st_dev, Info.st_ino}).second;
                                }),
                 Inputs.end());
    // The name each video's outputs are claimed under (ClaimOutputName gives another video of
    // the same name its -2, -3, ...).
    for (TInput& Input : Inputs)
        if (Input.Error.empty())
            Input.Name = VideoName(Input.Path);
    return Inputs;
}
