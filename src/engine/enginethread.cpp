#include "enginethread.h"

#include <exception>
#include <new>

void TEngineThread::Execute() {
    std::string Reason;
    try {
        Work();
        return;
    } catch (const std::bad_alloc&) {
        Reason = "Out of memory";
    } catch (const std::exception& E) {
        Reason = E.what();
    } catch (...) {
        Reason = "Unknown error";
    }
    try {
        ReportFailure(FErrorEvents, Reason);
    } catch (...) {
        // The receiver failed on the error report itself: nothing is left to tell it.
    }
}
