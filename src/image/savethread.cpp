#include "savethread.h"

#include "imagewriter.h"

TSaveThread::TSaveThread() : FThread([this] { Run(); }) {}

TSaveThread::~TSaveThread() {
    {
        std::lock_guard Lock(FLock);
        FQuit = true;
    }
    FChanged.notify_all();
    FThread.join();
}

void TSaveThread::Start(const TFreeBitmap& Bitmap, const TOutputFolder& Folder, const std::string& Name,
                        int Flags) {
    {
        std::lock_guard Lock(FLock);
        FBitmap = &Bitmap;
        FFolder = &Folder;
        FFileName = Name;
        FFlags = Flags;
        FDone = false;
    }
    FPending = true;
    FChanged.notify_all();
}

bool TSaveThread::Wait(std::string& Error) {
    if (!FPending)
        return true;
    std::unique_lock Lock(FLock);
    FChanged.wait(Lock, [this] { return FDone; });
    FPending = false;
    if (!FSaved)
        Error = FError;
    return FSaved;
}

void TSaveThread::Run() {
    std::unique_lock Lock(FLock);
    for (;;) {
        // A save asked for is finished before quitting: the caller's bitmap outlives this thread.
        FChanged.wait(Lock, [this] { return FQuit || FBitmap; });
        if (!FBitmap)
            return;
        const TFreeBitmap* Bitmap = FBitmap;
        FBitmap = nullptr;
        const TOutputFolder* Folder = FFolder;
        const std::string FileName = FFileName;
        const int Flags = FFlags;
        Lock.unlock();
        std::string Error;
        bool Saved = false;
        try {
            Saved = Bitmap->SaveChecked(*Folder, FileName, Flags, Error);
        } catch (const std::exception& E) {
            Error = "Cannot write " + FileName + ": " + E.what();
        }
        Lock.lock();
        FSaved = Saved;
        FError = Error;
        FDone = true;
        FChanged.notify_all();
    }
}
