// Where trovelle-thumbs says what it does. Standard output carries the results only, one
// whole line per finished video ("FOLDER<tab>COUNT"), each in one write so that many runs
// can share a pipe. Standard error gets the rest: on a terminal one live line per video
// (count, percentage, thumbnails per second, time left), fitted to the terminal's width and
// naming "video 2 of 7" in a batch; elsewhere a line when a video
// starts and one when it ends; with -q errors only.
//
// A closed output (a reader such as head that went away) is not fatal to a write: the
// tool ignores SIGPIPE, and OutputClosed tells the run to stop after the current file.
// Standard error that cannot be written (a full disk, a reader gone) stops nothing: the
// console says no more there, the results still go to standard output, and WriteError
// makes the run fail at its end.
#pragma once

#include "options.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// Writes the whole of Text to Fd: 0, or the errno of the write that failed.
int WriteWhole(int Fd, const std::string& Text);

// Text with its control characters (tab, newline, escape, ...) and backslashes written as
// C escapes (\t, \n, \x1B, \\), as names are shown in messages and results.
std::string Escaped(const std::string& Text);

class TConsole {
public:
    explicit TConsole(TVerbosity Verbosity, bool NullResults = false);

    // Standard output: the folder and the number of files written, and after a tab how the
    // video's job ended when it did not finish ("stopped", "failed"). Each result ends in a
    // newline, the folder's control characters escaped; or with NullResults in a NUL, the
    // folder as it is.
    void Result(const std::string& Folder, int64_t Count, const char* State = nullptr);
    // Standard error, "trovelle-thumbs: Text"; shown also with -q.
    void Error(const std::string& Text);
    // Standard error, unless quiet.
    void Note(const std::string& Text);

    // A video's progress: Started before its job, Frame after each file (Done files of
    // Total), Finished after it. Units: what the job counts, as the rates name it (a
    // sheet's job counts tiles).
    void Started(const std::string& Video, const std::string& Folder, const char* Units = "thumbnails");
    // The video the next Started begins is number Index (from 0) of Count: a live line of a
    // batch says "video 2 of 7".
    void SetBatch(size_t Index, size_t Count);
    void Frame(int64_t Done, int64_t Total);
    void Finished(int64_t Done);

    // Whether standard output lost its reader, or could not be written.
    bool OutputClosed();
    // Why writing to standard output failed other than by its reader going away (a full
    // disk, an I/O error: the run then stops as when it is closed), or why standard error
    // could not be written (the run goes on); empty when neither happened.
    const std::string& WriteError() const { return FWriteError; }

private:
    void Write(int Fd, const std::string& Text);
    void CloseLiveLine();
    // Draws the live line again with the first of Rests that fits (see FitLine).
    void Redraw(const std::vector<std::string>& Rests);

    TVerbosity FVerbosity;
    bool FLive;             // standard error is a terminal
    bool FLineOpen = false; // a live line waits for its end
    bool FOutClosed = false; // standard output lost its reader or cannot be written
    bool FErrClosed = false; // standard error cannot be written
    bool FNullResults = false;
    std::string FWriteError;
    std::string FVideo;
    std::string FBatch; // "video 2 of 7: ", or empty
    const char* FUnits = "thumbnails";
    std::chrono::steady_clock::time_point FStart;
    std::chrono::steady_clock::time_point FLastShown;
};

