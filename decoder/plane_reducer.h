// TPlaneReducer makes the small pictures a caller asks for (thumbnails, a sheet's tiles) out of
// an 8-bit planar YUV picture (4:2:0, 4:2:2, 4:4:4), without a scaler, and converts only the
// small picture to 0x00RRGGBB words, the fourth byte written 0 in the same pass.
//
// Each plane is reduced on its own, by what it leaves out: a side of a plane that shrinks by
// more than 2x is area-averaged to the delivered size (each delivered pixel the mean of the
// plane's samples it covers, partly covered ones weighted by how much of them lies inside);
// whatever is left (a side shrinking by 2x or less, or growing) is brought to the exact size by
// bilinear interpolation. Chroma samples are taken as centred between the luma samples they
// cover, as the full-size conversion does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// YUV to RGB in fixed point (kBits fraction bits): R = L (Y - Black) + RV V', G = L (Y - Black)
// - GU U' - GV V', B = L (Y - Black) + BU U', with U' and V' the chroma less 128.
struct TYuvToRgb {
    // Every factor fits a signed 16-bit number, as the vector code wants: the largest, blue's
    // from U' in limited range BT.2020, is about 2.14.
    static constexpr int kBits = 13;
    int32_t Black = 16;
    int32_t Luma = 0, RedV = 0, GreenU = 0, GreenV = 0, BlueU = 0;

    // From swscale's table of a matrix ({crv, cbu, cgu, cgv} in 16.16, for limited range
    // chroma) and the picture's range: the colours swscale gives for that matrix and range.
    static TYuvToRgb FromTable(const int Table[4], bool FullRange);
};

struct TPlaneKernels;

class TPlaneReducer {
public:
    // The instructions the reducer works with: by default the best the processor has. Every
    // choice gives the same pictures to the bit.
    enum class TInstructions { Portable, Sse2, Avx2 };
    static TInstructions Best();
    // Works with Set, or the best below it that the processor has; answers the one taken.
    TInstructions Use(TInstructions Set);

    TPlaneReducer() { Use(Best()); }

    // Whether an 8-bit planar picture whose chroma planes are 1 << ChromaShiftX narrower and
    // 1 << ChromaShiftY lower than its luma can be reduced here.
    static bool Handles(int ChromaShiftX, int ChromaShiftY) {
        return ChromaShiftX >= 0 && ChromaShiftX <= 1 && ChromaShiftY >= 0 && ChromaShiftY <= 1;
    }

    // Prepares for pictures of SourceWidth x SourceHeight, to be delivered Width x Height.
    void Setup(int SourceWidth, int SourceHeight, int ChromaShiftX, int ChromaShiftY, int Width, int Height);

    // Writes the picture in Planes (Y, U, V, with their row strides) as Width x Height words,
    // rows 4 x Width bytes apart.
    void Convert(const uint8_t* const Planes[3], const int Strides[3], const TYuvToRgb& Colours,
                 uint32_t* Output);

    // Which sides of a plane (0 luma, 1 and 2 chroma) are area-averaged.
    bool AveragesAcross(int Plane) const { return FPlans[Plane].Across.Area; }
    bool AveragesDown(int Plane) const { return FPlans[Plane].Down.Area; }

private:
    // One side of one plane: its area step, then its bilinear step.
    struct TSide {
        bool Area = false; // averaged to the delivered size; else kept for the bilinear step
        // The area step: delivered pixel J is the sum of Count[J] weights from Weights[J x Taps]
        // on times the samples from First[J] on; weights are 14-bit fractions adding up to 1,
        // padded with zeros to the same count, Taps, for every pixel.
        int Taps = 0;
        std::vector<int> First, Count;
        std::vector<int16_t> Weights;
        // The bilinear step: delivered pixel J lies between samples Left[J] and Right[J] (the
        // same at an edge), Weight[J] / 256 of the way; none where the side has its size.
        // Pairs: 256 - Weight[J] and Weight[J] side by side; from pixel Safe on, Left[J] + 1 lies
        // past the last sample.
        bool Exact = false;
        std::vector<int> Left, Right, Weight;
        std::vector<int16_t> Pairs;
        int Safe = 0;
    };
    struct TPlanePlan {
        int Width = 0, Height = 0; // the plane's own size
        TSide Across, Down;
        int BoxWidth = 0, BoxHeight = 0; // after the area step
        std::vector<uint8_t> Box;        // the plane after the area step
        std::vector<uint8_t> Small;      // the plane at the delivered size
    };

    // Whether a side Span luma samples long, delivered Delivered long, shrinks by more than 2x in
    // a plane subsampled by 1 << Shift.
    static bool Shrinks(int Span, int Shift, int Delivered);
    static void PlanSide(TSide& S, bool Area, int Samples, int Span, int Shift, int Delivered);
    void AreaStep(TPlanePlan& P, const uint8_t* Plane, int Stride);
    // The plane at the delivered size: in P.Small, or P.Box or the plane itself where that is it.
    const uint8_t* Reduce(TPlanePlan& P, const uint8_t* Plane, int Stride);

    const TPlaneKernels* FKernels = nullptr;
    int FWidth = 0, FHeight = 0;
    TPlanePlan FPlans[3];
    std::vector<uint16_t> FMid;      // one row of the area step between its two passes
    std::vector<int16_t> FAcross[2]; // two rows of the bilinear step interpolated across
};
