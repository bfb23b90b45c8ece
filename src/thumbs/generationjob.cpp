#include "generationjob.h"

#include "exceptions.h"

#include <FreeImage.h>

#include <exception>
#include <new>

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

int SaveFlags(const std::string& Format, int32_t Quality) {
    if (Quality < 1 || Quality > 100)
        throw Exception("The quality must be from 1 to 100 (it is " + std::to_string(Quality) + ")");
    if (Format == "jpg" || Format == "jpeg")
        return Quality;
    if (Format == "webp")
        return Quality == 100 ? WEBP_LOSSLESS : Quality;
    if (Format == "png")
        return PNG_DEFAULT;
    throw Exception("Pictures cannot be written as \"" + Format + "\" (jpg, png or webp)");
}
