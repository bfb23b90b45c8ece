// Measures how sharp a reduced picture is: a picture with detail at every scale, as camera
// video has, and a Lanczos-3 reduction of a picture in floating point to hold a reduced one
// against, in PSNR. Used by the scaler's tests and by those of the library's reduced frames.
#pragma once

#include "image/imagebuffer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace lanczos_reference {

// A picture with detail at every scale, as camera video has: value noise over octaves from 1/4 of
// the width down to single pixels, with a grid of thin lines at 60% contrast on top. Each byte gets
// its own noise. Plain four-tap bilinear sampling scores 28.7 to 28.8 dB against Lanczos on it at
// 1280x720 -> 160x90 and 1920x1080 -> 400x225, as it does on camera video.
inline void MakeNaturalImage(TFastDIB& Dib, int Width, int Height) {
    std::uint32_t Seed = 12345;
    const auto Random = [&Seed] {
        Seed = Seed * 1664525u + 1013904223u;
        return static_cast<float>(Seed >> 8) / static_cast<float>(1u << 24);
    };
    std::vector<float> Value(static_cast<std::size_t>(Width) * Height * 3, 0.0f);
    float Strength = 1.0f;
    for (int Cell = Width / 4; Cell >= 1; Cell /= 2, Strength *= 0.7f) {
        const int GW = Width / Cell + 2, GH = Height / Cell + 2;
        std::vector<float> Grid(static_cast<std::size_t>(GW) * GH * 3);
        for (float& G : Grid)
            G = Random() * Strength;
        for (int Y = 0; Y < Height; ++Y)
            for (int X = 0; X < Width; ++X) {
                const int GX = X / Cell, GY = Y / Cell;
                const float FX = static_cast<float>(X % Cell) / Cell,
                            FY = static_cast<float>(Y % Cell) / Cell;
                for (int c = 0; c < 3; ++c) {
                    const auto At = [&](int I, int J) {
                        return Grid[(static_cast<std::size_t>(J) * GW + I) * 3 + c];
                    };
                    const float Top = At(GX, GY) * (1 - FX) + At(GX + 1, GY) * FX;
                    const float Bottom = At(GX, GY + 1) * (1 - FX) + At(GX + 1, GY + 1) * FX;
                    Value[(static_cast<std::size_t>(Y) * Width + X) * 3 + c] += Top * (1 - FY) + Bottom * FY;
                }
            }
    }
    float Low = 1e9f, High = -1e9f;
    for (float V : Value) {
        Low = std::min(Low, V);
        High = std::max(High, V);
    }
    Dib.SetSize(Width, Height, 32);
    for (int Y = 0; Y < Height; ++Y)
        for (int X = 0; X < Width; ++X) {
            std::uint8_t* P = Dib.Scanlines()[Y] + 4 * X;
            for (int c = 0; c < 3; ++c)
                P[c] = static_cast<std::uint8_t>(std::lround(
                    (Value[(static_cast<std::size_t>(Y) * Width + X) * 3 + c] - Low) / (High - Low) * 255));
            // Thin lines, 3 and 2 pixels wide: edges finer than any thumbnail's pixel.
            if ((X / 3) % 53 == 0 || (Y / 2) % 41 == 0)
                for (int c = 0; c < 3; ++c)
                    P[c] = static_cast<std::uint8_t>(P[c] + (240 - P[c]) * 3 / 5);
            P[3] = 0;
        }
}

// Lanczos-3 weights of the source pixels around a destination pixel, on the same centred grid as
// the scaler, widened by the reduction so that it filters what it leaves out.
struct TTap {
    int First;
    std::vector<double> Weights;
};

inline std::vector<TTap> LanczosTaps(int Src, int Dst) {
    const double Ratio = static_cast<double>(Src) / Dst;
    const double Scale = std::max(1.0, Ratio);
    const double Support = 3 * Scale;
    std::vector<TTap> Taps(static_cast<std::size_t>(Dst));
    for (int j = 0; j < Dst; ++j) {
        const double Centre = (j + 0.5) * Ratio - 0.5;
        const int First = static_cast<int>(std::floor(Centre - Support)) + 1;
        const int Last = static_cast<int>(std::ceil(Centre + Support)) - 1;
        TTap& Tap = Taps[static_cast<std::size_t>(j)];
        Tap.First = First;
        double Total = 0;
        for (int i = First; i <= Last; ++i) {
            const double X = (i - Centre) / Scale;
            const auto Sinc = [](double T) { return T == 0 ? 1.0 : std::sin(M_PI * T) / (M_PI * T); };
            const double W = std::abs(X) < 3 ? Sinc(X) * Sinc(X / 3) : 0.0;
            Tap.Weights.push_back(W);
            Total += W;
        }
        for (double& W : Tap.Weights)
            W /= Total;
    }
    return Taps;
}

// The reference: separable Lanczos-3 in floating point, edges repeated. Bytes 0 to 2 only.
inline std::vector<double> LanczosReference(const TFastDIB& Src, int DstWidth, int DstHeight) {
    const int W = Src.Width(), H = Src.AbsHeight();
    const std::vector<TTap> Columns = LanczosTaps(W, DstWidth), Rows = LanczosTaps(H, DstHeight);
    std::vector<double> Across(static_cast<std::size_t>(DstWidth) * H * 3);
    for (int Y = 0; Y < H; ++Y)
        for (int X = 0; X < DstWidth; ++X)
            for (int c = 0; c < 3; ++c) {
                double Sum = 0;
                const TTap& Tap = Columns[static_cast<std::size_t>(X)];
                for (std::size_t k = 0; k < Tap.Weights.size(); ++k) {
                    const int I = std::clamp(Tap.First + static_cast<int>(k), 0, W - 1);
                    Sum += Tap.Weights[k] * Src.Scanlines()[Y][4 * I + c];
                }
                Across[(static_cast<std::size_t>(Y) * DstWidth + X) * 3 + c] = Sum;
            }
    std::vector<double> Out(static_cast<std::size_t>(DstWidth) * DstHeight * 3);
    for (int Y = 0; Y < DstHeight; ++Y)
        for (int X = 0; X < DstWidth; ++X)
            for (int c = 0; c < 3; ++c) {
                double Sum = 0;
                const TTap& Tap = Rows[static_cast<std::size_t>(Y)];
                for (std::size_t k = 0; k < Tap.Weights.size(); ++k) {
                    const int J = std::clamp(Tap.First + static_cast<int>(k), 0, H - 1);
                    Sum += Tap.Weights[k] * Across[(static_cast<std::size_t>(J) * DstWidth + X) * 3 + c];
                }
                Out[(static_cast<std::size_t>(Y) * DstWidth + X) * 3 + c] = std::clamp(Sum, 0.0, 255.0);
            }
    return Out;
}

inline double PsnrAgainst(const TFastDIB& Image, const std::vector<double>& Reference) {
    double Squares = 0;
    for (int Y = 0; Y < Image.AbsHeight(); ++Y)
        for (int X = 0; X < Image.Width(); ++X)
            for (int c = 0; c < 3; ++c) {
                const double D = Image.Scanlines()[Y][4 * X + c] -
                                 Reference[(static_cast<std::size_t>(Y) * Image.Width() + X) * 3 + c];
                Squares += D * D;
            }
    const double Mse = Squares / (static_cast<double>(Image.Width()) * Image.AbsHeight() * 3);
    return 10 * std::log10(255.0 * 255.0 / Mse);
}

} // namespace lanczos_reference
