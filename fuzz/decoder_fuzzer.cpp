// libFuzzer target for libdecoder.so's sources, built with AddressSanitizer and
// UndefinedBehaviorSanitizer. The library opens files by name, so each input is written
// to a memory file and opened through /proc/self/fd; the library's state (the open
// video, its reading thread) carries over from one input to the next, as it does in the
// program.
#include "exercise.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace {

const TDecoderEntryPoints kApi{openFile, getFileInfo, getFrameInfo, getFrame, getNextFrame, seek};

int MemoryFile() {
    static const int Fd = [] {
        const int F = memfd_create("fuzz-input", 0);
        if (F < 0) {
            perror("memfd_create");
            std::abort();
        }
        return F;
    }();
    return Fd;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const int Fd = MemoryFile();
    if (ftruncate(Fd, 0) != 0 || pwrite(Fd, Data, Size, 0) != static_cast<ssize_t>(Size))
        std::abort();
    static const std::string Name = "/proc/self/fd/" + std::to_string(Fd);
    ExerciseDecoder(kApi, Name.c_str());
    return 0;
}
