// TConvertThread carries out one thumbnail-generation job on a worker thread: it reads
// frames from the play manager's decoder, scales each chosen frame bilinearly to the
// thumbnail size and writes it as a JPEG file named after the video and the thumbnail's
// ordinal, in a folder named after the video. After every file, and at the end, it
// reports synchronously to its owner on the main thread.
//
// Three ways of choosing frames (the record's Mode): every frame of the video (Whole), every
// frame between a start and an end mark (Range), or a number of evenly spaced pieces.
//
// The owner creates it suspended, gives it its record, binds the report callback, resumes
// it, and frees it to stop it. The job checks for a stop request before every frame. A job
// that fails reports [evConvError, evConvStopped] with a readable reason (which path, and
// the system's or the decoder's reason) and ends; thumbnails written before stay. A job
// that did not fail ends with evConvDone naming the folder its thumbnails are in.
// A video that cannot be read on is such a failure, not its end. A size, a number of
// pieces or a time the job cannot honour is refused before anything is read or written.
// A range is a stretch of time: it takes the frames whose times lie in it, however many
// that is on a video of varying rate; its Total is an estimate until its last reports,
// which carry the number it took. Pieces never write one frame twice: a piece whose frame
// was written already is left out and counted in the progress's Repeats, so the files are
// as many as the different frames the pieces found.
#pragma once

#include "engine/decoder.h"
#include "engine/ratemeter.h"
#include "generationjob.h"
#include "image/imagebuffer.h"
#include "image/imagewriter.h"
#include "image/outputfolder.h"
#include "image/savethread.h"
#include "jobrequest.h"

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

class TFrameWalker;



// Raises Exception with a message naming the size when no thumbnail of Width x Height
// can be written: a side of 0 or less, one longer than a JPEG file allows, or more pixels
// than MemoryBytes can hold while a thumbnail is made.
void CheckThumbnailSize(int32_t Width, int32_t Height, int64_t MemoryBytes);

class TConvertThread : public TGenerationJob {
public:
    // Suspended, for the decoder's open video.
    explicit TConvertThread(TDecoder* Decoder);
    ~TConvertThread() override;

    // The job; set on the main thread before Resume.
    const TConvertRec& Rec() const { return FRec; }
    void SetRec(const TConvertRec& Rec) { FRec = Rec; }

protected:
    void Work() override;

private:
    // The job itself; Work adds what an error needs.
    void MakeThumbnails();
    // Reads the frames of the job from the start of the video and writes them.
    void TakeFrames();
    // Takes the next frame and starts writing it as thumbnail Ordinal, after the previous
    // thumbnail's file is written and reported; false (after that report and the end report)
    // when the decoder has no frame left, and false after that report when the job was stopped.
    bool WriteNextThumbnail(int64_t Ordinal, TRateMeter& Meter);
    // The same for Frame; null: the frames have ended.
    bool WriteThumbnail(const TDecoderFrame* Frame, int64_t Ordinal, TRateMeter& Meter);
    // Starts writing the thumbnail-sized picture at Bits (top row first, rows Stride bytes
    // apart) as thumbnail Ordinal of the frame at Microseconds. False when a stop came.
    bool WritePicture(const std::uint8_t* Bits, std::ptrdiff_t Stride, int64_t Ordinal, int64_t Microseconds,
                      TRateMeter& Meter);
    // The clearest frame near piece I's instant, scaled into FTarget; answers its time.
    int64_t TakeClearPiece(TFrameWalker& Walker, int32_t I);
    // Every frame of the range, by the frames' own times.
    void TakeRange(int64_t& Ordinal, TRateMeter& Meter);
    // Whether the frame at Time was written already by this job; counts it as a repeat when
    // it was, else notes it as written.
    bool Repeated(int64_t Time);
    // Waits for the file being written, if any, and reports it; throws when it failed.
    void FinishPendingSave(TRateMeter& Meter);
    // Opens the output folder (made when missing, never through a link), once per job,
    // before the first thumbnail is written, and clears what killed runs left there.
    void MakeOutputFolder();
    // Waits for the last file and puts the job's files on disk; before the end is reported.
    void FinishWriting(TRateMeter& Meter);
    // The folder the thumbnails went to, for the last report.
    std::string WrittenFolder() const;

    TConvertRec FRec;
    TDecoder* FDecoder;
    std::unique_ptr<TOutputFolder> FFolder; // before the saver: it outlives every save
    TFastDIB FSource;                       // the decoder's frame, in place
    TFastDIB FTarget;                       // the thumbnail-sized picture
    TFastDIB FCandidate;                    // a frame judged for clearness, thumbnail-sized
    // Thumbnail k is written from bitmap k % 2 while k + 1 is made in the other.
    TFreeBitmap FBitmaps[2];
    int64_t FSaving = -1;            // the ordinal being written
    std::set<int64_t> FWrittenTimes; // of the pieces' frames written, in microseconds
    // With NamesByTime: how many different frames took each name by time so far.
    std::unordered_map<std::string, int32_t> FNamesByTime;
    TSaveThread FSaver; // after the bitmaps: it is gone before they go
};
