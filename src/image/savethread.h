// TSaveThread encodes and writes the convert thread's thumbnail files on a thread of its own, so that
// writing thumbnail k overlaps reading and scaling thumbnail k + 1: on two cores the decoder's
// read-ahead, the convert thread and this one share the work that one thread did after the other.
//
// One save at a time: Start hands over a finished bitmap and a file name, Wait returns when that
// file is written (or failed). The caller leaves the bitmap alone in between and makes its
// report for the file only after Wait, so reports still follow written files, in order.
#pragma once

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

class TFreeBitmap;
class TOutputFolder;

class TSaveThread {
public:
    TSaveThread();
    ~TSaveThread(); // waits for a save in progress
    TSaveThread(const TSaveThread&) = delete;
    TSaveThread& operator=(const TSaveThread&) = delete;

    // Starts writing Bitmap as the file Name of Folder with the image library's Flags (the
    // JPEG quality). Nothing may be in progress; Folder outlives the save.
    void Start(const TFreeBitmap& Bitmap, const TOutputFolder& Folder, const std::string& Name, int Flags);
    // Whether a save was started and not yet waited for.
    bool Pending() const { return FPending; }
    // Waits for the save in progress; false, with the reason in Error, when it failed. True at
    // once when nothing is in progress.
    bool Wait(std::string& Error);

private:
    void Run();

    bool FPending = false; // caller side only

    std::mutex FLock;
    std::condition_variable FChanged;
    const TFreeBitmap* FBitmap = nullptr; // the save asked for, until the thread takes it
    const TOutputFolder* FFolder = nullptr;
    std::string FFileName;
    int FFlags = 0;
    bool FDone = false;
    bool FSaved = false;
    std::string FError;
    bool FQuit = false;
    std::thread FThread; // last: started once the fields above exist
};
