#include "generationjob.h"

#include "exceptions.h"
#include "platform.h"

#include <exception>
#include <new>

std::string SaveFolderOrDefault(const std::string& Folder) {
    if (!Folder.empty())
        return Folder;
    const std::string Default = DefaultSaveFolder();
    if (Default.empty())
        throw Exception("There is no default save folder (no home folder is set): choose a save folder");
    return Default;
}

void TGenerationJob::Execute() {
    try {
        RunJob();
        return;
    } catch (const std::bad_alloc&) {
        ErrorMessage = "Out of memory";
    } catch (const std::exception& E) {
        ErrorMessage = E.what();
    } catch (...) {
        ErrorMessage = "Unknown error";
    }
    FEvents = evConvError | evConvStopped;
    try {
        Report();
    } catch (...) {
        // The receiver failed on the error report itself: nothing is left to tell it.
    }
}
