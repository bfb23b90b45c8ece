// TFrameConverter turns decoded pictures into the library's delivered layout: 32-bit
// 0x00RRGGBB words, top row first, rows exactly 4 x width bytes apart, turned upright
// when the video carries a rotation.
//
// Colours are converted with each frame's own matrix and range (BT.601, BT.709,
// BT.2020; limited or full range), so that a thumbnail looks like the video does in a
// player. A picture whose size changes in mid-stream is scaled to the size delivered
// from the start, because the callers size their buffers once. A caller that wants smaller
// pictures (thumbnails, a sheet's tiles) gets them scaled in the picture's own planes before
// the conversion, by area averaging, so that only the small picture is converted: 8-bit planar
// pictures by TPlaneReducer, any other kind through swscale.
#pragma once

#include "plane_reducer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct AVFrame;
struct SwsContext;

class TFrameConverter {
public:
    // Reductions go through swscale only where OwnReduction is false (for comparisons).
    explicit TFrameConverter(bool OwnReduction = true) : FOwnReduction(OwnReduction) {}
    ~TFrameConverter();
    TFrameConverter(const TFrameConverter&) = delete;
    TFrameConverter& operator=(const TFrameConverter&) = delete;

    // Stored picture size and the clockwise turn (0, 90, 180 or 270) that makes it upright;
    // the upright size to deliver (0 x 0: the picture's own).
    void Setup(int StoredWidth, int StoredHeight, int Rotation, int Width = 0, int Height = 0);

    // Converts Frame into Output (BufferWords() words) and returns it.
    uint32_t* Convert(const AVFrame* Frame, uint32_t* Output);

    // The words of a buffer Convert writes into: the picture's OutputWidth x OutputHeight and room
    // after its last row. swscale's vector code converts whole blocks of pixels and may write past
    // the end of a row (on a picture a few pixels wide, well past the end of the picture).
    static constexpr std::size_t kOverrunWords = 64;
    std::size_t BufferWords() const {
        return static_cast<std::size_t>(FScaledWidth) * FScaledHeight + kOverrunWords;
    }

    int OutputWidth() const { return FRotation % 180 ? FScaledHeight : FScaledWidth; }
    int OutputHeight() const { return FRotation % 180 ? FScaledWidth : FScaledHeight; }

private:
    void PrepareContext(const AVFrame* Frame);

    int FStoredWidth = 0;
    int FStoredHeight = 0;
    // The delivered picture before it is turned upright.
    int FScaledWidth = 0;
    int FScaledHeight = 0;
    int FRotation = 0;
    SwsContext* FContext = nullptr; // to the delivered layout
    SwsContext* FReduce = nullptr;  // to the size asked for, in the picture's planes; or none
    std::vector<uint8_t> FPlanes;   // the reduced picture, 4:4:4
    int FSampleBytes = 1;           // of FPlanes' samples: 2 for pictures of more than 8 bits
    // The size asked for, reached without swscale: FReducing says the current pictures are.
    bool FOwnReduction = true;
    bool FReducing = false;
    TPlaneReducer FReducer;
    TYuvToRgb FColours;
    // What FContext was made for, so that it is rebuilt only when a frame differs.
    int FSourceWidth = 0, FSourceHeight = 0, FSourceFormat = -1, FColorSpace = -1, FFullRange = -1;
    std::vector<uint32_t> FStored; // the picture before it is turned, for rotated video
};
