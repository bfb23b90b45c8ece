#include "enginethread.h"

#include <exception>
#include <new>

void TEngineThread::Execute() {
    try {
        Work();
        return;
    } catch (const std::bad_alloc&) {
        ErrorMessage = "Out of memory";
    } catch (const std::exception& E) {
        ErrorMessage = E.what();
    } catch (...) {
        ErrorMessage = "Unknown error";
    }
    FEvents = FErrorEvents;
    try {
        Report();
    } catch (...) {
        // The receiver failed on the error report itself: nothing is left to tell it.
    }
}
