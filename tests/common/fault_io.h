// Fault injection for reads: libfault_io.so replaces the C library's read() for the whole
// process (linked into a test, or preloaded with LD_PRELOAD into any program) and makes
// reads of one file fail with a given errno from a given byte offset on, as a failing
// disk would. Reads before the offset, and of any other file, go through untouched.
//
// Preloaded, it is armed by the environment: TROVELLE_FAIL_READ=OFFSET:PATH.
#pragma once

#include <sys/types.h>

extern "C" {
// Reads of Path (any name of the same file) from Offset on fail with Errno.
void FaultIoFailReads(const char* Path, off_t Offset, int Errno);
// Every read goes through again.
void FaultIoClear();
}
