#include "generationjob.h"

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
