#include "generationjob.h"

#include "exceptions.h"
#include "platform.h"

std::string SaveFolderOrDefault(const std::string& Folder) {
    if (!Folder.empty())
        return Folder;
    const std::string Default = DefaultSaveFolder();
    if (Default.empty())
        throw Exception("There is no default save folder (no home folder is set): choose a save folder");
    return Default;
}
