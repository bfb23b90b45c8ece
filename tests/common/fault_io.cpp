#include "fault_io.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using TRead = ssize_t (*)(int, void*, size_t);

std::mutex Lock;
std::atomic<bool> Armed{false};
dev_t Device = 0;
ino_t Inode = 0;
off_t FailAt = 0;
int FailWith = EIO;

TRead RealRead() {
    static const TRead Real = reinterpret_cast<TRead>(dlsym(RTLD_NEXT, "read"));
    return Real;
}

void Arm(const char* Path, off_t Offset, int Errno) {
    struct stat Info {};
    if (stat(Path, &Info) != 0)
        return;
    std::lock_guard Guard(Lock);
    Device = Info.st_dev;
    Inode = Info.st_ino;
    FailAt = Offset;
    FailWith = Errno;
    Armed.store(true);
}

__attribute__((constructor)) void ArmFromEnvironment() {
    const char* Setting = std::getenv("TROVELLE_FAIL_READ");
    if (!Setting)
        return;
    char* Rest = nullptr;
    const long long Offset = std::strtoll(Setting, &Rest, 10);
    if (Rest && *Rest == ':')
        Arm(Rest + 1, static_cast<off_t>(Offset), EIO);
}

} // namespace

extern "C" {

void FaultIoFailReads(const char* Path, off_t Offset, int Errno) { Arm(Path, Offset, Errno); }

void FaultIoClear() { Armed.store(false); }

ssize_t read(int Fd, void* Buffer, size_t Count) {
    if (Armed.load()) {
        struct stat Info {};
        if (fstat(Fd, &Info) == 0) {
            std::unique_lock Guard(Lock);
            if (Armed.load() && Info.st_dev == Device && Info.st_ino == Inode) {
                const off_t Position = lseek(Fd, 0, SEEK_CUR);
                if (Position >= FailAt) {
                    errno = FailWith;
                    return -1;
                }
                // Up to the offset the read succeeds; the next one fails.
                if (Position >= 0 && static_cast<off_t>(Position + Count) > FailAt)
                    Count = static_cast<size_t>(FailAt - Position);
            }
        }
    }
    return RealRead()(Fd, Buffer, Count);
}
}
