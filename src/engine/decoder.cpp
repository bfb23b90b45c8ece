#include "decoder.h"

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Resolved with the others but never called; kept at unit level as the contract asks.
TConvertProc ConvertEntry = nullptr;

// The failure of the last dlopen/dlsym as an OS error: errno and its text where the
// loader left one, the loader's own text otherwise.
[[noreturn]] void RaiseLoaderError(int Code, const std::string& LoaderText) {
    if (Code != 0)
        RaiseLastOSError(Code);
    RaiseLastOSError(0, LoaderText);
}

std::string LastLoaderText() {
    const char* Text = dlerror();
    return Text ? Text : std::string();
}

} // namespace

TDecoder::TDecoder(const std::string& LibraryName) {
    dlerror();
    errno = 0;
    // Never unloaded: FFmpeg's one-time tables and threads are not made to go away with
    // it (a leak checker reports what an unload leaves behind).
    FLibrary = dlopen(LibraryName.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!FLibrary) {
        const int Code = errno;
        RaiseLoaderError(Code, LastLoaderText());
    }

    auto Resolve = [this](const char* Name) {
        dlerror();
        errno = 0;
        void* Entry = dlsym(FLibrary, Name);
        if (!Entry) {
            const int Code = errno;
            const std::string Text = LastLoaderText();
            dlclose(FLibrary);
            FLibrary = nullptr;
            RaiseLoaderError(Code, Text);
        }
        return Entry;
    };
    FOpenFile = reinterpret_cast<TOpenFileProc>(Resolve("openFile"));
    FGetFrameInfo = reinterpret_cast<TGetFrameInfoProc>(Resolve("getFrameInfo"));
    FGetFileInfo = reinterpret_cast<TGetFileInfoProc>(Resolve("getFileInfo"));
    FGetFrame = reinterpret_cast<TGetFrameProc>(Resolve("getFrame"));
    FGetNextFrame = reinterpret_cast<TGetNextFrameProc>(Resolve("getNextFrame"));
    FSeek = reinterpret_cast<TSeekProc>(Resolve("seek"));
    ConvertEntry = reinterpret_cast<TConvertProc>(Resolve("convert"));
    // Optional: a library of the seven entry points alone is used as it is.
    FGetLastError = reinterpret_cast<TGetLastErrorProc>(dlsym(FLibrary, "getLastError"));
    FGetFrameTime = reinterpret_cast<TGetFrameTimeProc>(dlsym(FLibrary, "getFrameTime"));
    FSetFrameSize = reinterpret_cast<TSetFrameSizeProc>(dlsym(FLibrary, "setFrameSize"));
    FSeekTime = reinterpret_cast<TSeekTimeProc>(dlsym(FLibrary, "seekTime"));
    FGetDurationTime = reinterpret_cast<TGetDurationTimeProc>(dlsym(FLibrary, "getDurationTime"));
    FGetNote = reinterpret_cast<TGetNoteProc>(dlsym(FLibrary, "getNote"));
    FGetKnownCut = reinterpret_cast<TGetKnownCutProc>(dlsym(FLibrary, "getKnownCut"));
    dlerror();
}

TDecoder::~TDecoder() {
    if (FLibrary)
        dlclose(FLibrary);
}

void TDecoder::Open(const std::string& FileName) {
    if (FOpenFile(FileName.c_str(), 0, 0) != 0)
        throw EMPEG2Error("Unable to open video file: " + FileName);
    FFileName = FileName;
    FFileInfo = FGetFileInfo();
    FFrameInfo = FGetFrameInfo();
    FrameWidth = FFileInfo->FrameWidth;
    FrameHeight = FFileInfo->FrameHeight;
    FPS = FFileInfo->FPS;
    AspectRatio = FFileInfo->AspectRatio;
}

std::string TDecoder::LastOpenError() const {
    const char* Text = FGetLastError ? FGetLastError() : nullptr;
    return Text ? Text : "";
}

TDecoderFrame* TDecoder::NextFrame() {
    TDecoderFrame* Frame = FGetNextFrame();
    FFrameInfo = FGetFrameInfo();
    if (!Frame && FGetLastError) {
        const char* Error = FGetLastError();
        if (Error && *Error)
            throw EDecodeError(Error);
    }
    return Frame;
}

int64_t TDecoder::FrameMicroseconds() const {
    constexpr int64_t kMicrosecondsPerSecond = 1000000;
    if (FGetFrameTime) {
        if (const int64_t Micros = FGetFrameTime(); Micros >= 0)
            return Micros;
    }
    return FFrameInfo ? FFrameInfo->Timestamp * kMicrosecondsPerSecond : 0;
}

int64_t TDecoder::DurationMicroseconds() const {
    constexpr int64_t kMicrosecondsPerSecond = 1000000;
    if (FGetDurationTime) {
        if (const int64_t Micros = FGetDurationTime(); Micros >= 0)
            return Micros;
    }
    return FFileInfo ? int64_t{FFileInfo->Duration} * kMicrosecondsPerSecond : 0;
}

std::string TDecoder::Note() const {
    const char* Text = FGetNote && FFileInfo ? FGetNote() : nullptr;
    return Text ? Text : "";
}

std::string TDecoder::KnownCut() const {
    const char* Text = FGetKnownCut && FFileInfo ? FGetKnownCut() : nullptr;
    return Text ? Text : "";
}

bool TDecoder::SetFrameSize(int32_t Width, int32_t Height) {
    return FSetFrameSize && FSetFrameSize(Width, Height) == 0;
}

void TDecoder::Seek(int32_t Seconds) {
    FSeek(Seconds);
}

void TDecoder::SeekTime(int64_t Microseconds) {
    FSeekTime(Microseconds);
}

std::string UnreadableReason(const std::string& Path) {
    // Looked at before it is opened: opening a FIFO waits for a writer, a device may do
    // anything.
    struct stat Info {};
    if (stat(Path.c_str(), &Info) != 0)
        return std::strerror(errno);
    if (S_ISDIR(Info.st_mode))
        return std::strerror(EISDIR);
    if (!S_ISREG(Info.st_mode))
        return S_ISFIFO(Info.st_mode) ? QT_TRANSLATE_NOOP("TWording", "a FIFO, not a file")
                                      : QT_TRANSLATE_NOOP("TWording", "a device or socket, not a file");
    const int Fd = open(Path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (Fd < 0)
        return std::strerror(errno);
    close(Fd);
    return Info.st_size == 0 ? QT_TRANSLATE_NOOP("TWording", "the file is empty") : "";
}

std::string TDecoder::WhyNotOpened(const std::string& Path) const {
    std::string Reason = UnreadableReason(Path);
    if (Reason.empty())
        Reason = LastOpenError();
    return Reason.empty() ? kNotAVideo : Reason;
}
