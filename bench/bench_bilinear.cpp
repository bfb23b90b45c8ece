// How fast Bilinear32 shrinks a full-HD frame to the default thumbnail size, next to a plain
// floating-point bilinear scaler of the same sample grid run in the same process.
#include "image/scaler.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

namespace {

constexpr int kSrcWidth = 1920;
constexpr int kSrcHeight = 1080;
constexpr int kDstWidth = 400;
constexpr int kDstHeight = 225;
constexpr int kRounds = 7;
constexpr double kMinSeconds = 0.3; // per round

// The straightforward way: per pixel, work out the source position in doubles and blend.
void FloatBilinear(const TFastDIB& Src, TFastDIB& Dst) {
    const double ScaleX = double(Src.Width()) / Dst.Width();
    const double ScaleY = double(Src.AbsHeight()) / Dst.AbsHeight();
    for (int j = 0; j < Dst.AbsHeight(); ++j) {
        const double Sy = std::max(0.0, (j + 0.5) * ScaleY - 0.5);
        const int Y0 = int(Sy);
        const int Y1 = std::min(Y0 + 1, Src.AbsHeight() - 1);
        const double Fy = Sy - Y0;
        std::uint8_t* Out = Dst.Scanlines()[j];
        for (int i = 0; i < Dst.Width(); ++i) {
            const double Sx = std::max(0.0, (i + 0.5) * ScaleX - 0.5);
            const int X0 = int(Sx);
            const int X1 = std::min(X0 + 1, Src.Width() - 1);
            const double Fx = Sx - X0;
            for (int c = 0; c < 4; ++c) {
                const double Top =
                    Src.Scanlines()[Y0][4 * X0 + c] * (1 - Fx) + Src.Scanlines()[Y0][4 * X1 + c] * Fx;
                const double Low =
                    Src.Scanlines()[Y1][4 * X0 + c] * (1 - Fx) + Src.Scanlines()[Y1][4 * X1 + c] * Fx;
                Out[4 * i + c] = static_cast<std::uint8_t>(std::lround(Top * (1 - Fy) + Low * Fy));
            }
        }
    }
}

// Best of several rounds, in scaled images per second.
double ImagesPerSecond(const std::function<void()>& Scale) {
    double Best = 0;
    for (int Round = 0; Round < kRounds; ++Round) {
        const auto Start = std::chrono::steady_clock::now();
        int Count = 0;
        double Seconds = 0;
        do {
            Scale();
            ++Count;
            Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
        } while (Seconds < kMinSeconds);
        Best = std::max(Best, Count / Seconds);
    }
    return Best;
}

} // namespace

int main() {
    TFastDIB Src, Fixed, Float;
    Src.SetSize(kSrcWidth, kSrcHeight, 32);
    for (int i = 0; i < Src.Size(); ++i)
        Src.Bits()[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
    Fixed.SetSize(kDstWidth, kDstHeight, 32);
    Float.SetSize(kDstWidth, kDstHeight, 32);

    const double FixedRate = ImagesPerSecond([&] { Bilinear32(Src, Fixed); });
    const double FloatRate = ImagesPerSecond([&] { FloatBilinear(Src, Float); });

    int MaxDiff = 0;
    for (int i = 0; i < Fixed.Size(); ++i)
        MaxDiff = std::max(MaxDiff, std::abs(Fixed.Bits()[i] - Float.Bits()[i]));

    const double DstMp = double(kDstWidth) * kDstHeight / 1e6;
    const double SrcMp = double(kSrcWidth) * kSrcHeight / 1e6;
    std::printf("%dx%d -> %dx%d, 32 bits per pixel, best of %d rounds\n", kSrcWidth, kSrcHeight, kDstWidth,
                kDstHeight, kRounds);
    std::printf("Bilinear32      %8.1f images/s  %8.1f Mpx/s destination  %8.1f Mpx/s source\n", FixedRate,
                FixedRate * DstMp, FixedRate * SrcMp);
    std::printf("float bilinear  %8.1f images/s  %8.1f Mpx/s destination  %8.1f Mpx/s source\n", FloatRate,
                FloatRate * DstMp, FloatRate * SrcMp);
    std::printf("Bilinear32 / float: %.2fx   (largest byte difference between the two: %d)\n",
                FixedRate / FloatRate, MaxDiff);
    return 0;
}
