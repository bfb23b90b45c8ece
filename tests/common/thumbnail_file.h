// Reads a written thumbnail back: its size and the identity of the frame it shows.
#pragma once

#include "frame_identity.h"

#include <FreeImage.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

struct TThumbnailFile {
    int Width = 0, Height = 0;
    TFrameIdentity Id{-1, -1};
};

inline TThumbnailFile ReadThumbnail(const std::string& File) {
    TThumbnailFile Image;
    FIBITMAP* Dib = FreeImage_Load(FreeImage_GetFileType(File.c_str(), 0), File.c_str(), 0);
    if (!Dib)
        return Image;
    Image.Width = static_cast<int>(FreeImage_GetWidth(Dib));
    Image.Height = static_cast<int>(FreeImage_GetHeight(Dib));
    Image.Id = ReadIdentity(Image.Width, Image.Height, [&](int X, int Y) {
        RGBQUAD Colour{};
        // The library counts rows from the bottom.
        FreeImage_GetPixelColor(Dib, X, Image.Height - 1 - Y, &Colour);
        return static_cast<int>(Colour.rgbGreen);
    });
    FreeImage_Unload(Dib);
    return Image;
}

// Every value of every quantisation table of a JPEG file, as its DQT segments hold them
// (empty when the file is no JPEG). At quality 100 the encoder makes them all 1.
inline std::vector<int> JpegQuantisationValues(const std::string& File) {
    std::ifstream Stream(File, std::ios::binary);
    const std::vector<uint8_t> Data{std::istreambuf_iterator<char>(Stream), std::istreambuf_iterator<char>()};
    std::vector<int> Values;
    if (Data.size() < 4 || Data[0] != 0xFF || Data[1] != 0xD8)
        return Values;
    for (size_t At = 2; At + 4 <= Data.size() && Data[At] == 0xFF;) {
        const uint8_t Marker = Data[At + 1];
        const size_t Length = size_t{Data[At + 2]} << 8 | Data[At + 3];
        if (Marker == 0xDA || At + 2 + Length > Data.size()) // the picture data starts
            break;
        if (Marker == 0xDB) {
            // Tables of one byte (precision 0) or two bytes (precision 1) per value.
            for (size_t T = At + 4; T < At + 2 + Length;) {
                const bool Wide = Data[T] >> 4;
                ++T;
                for (int I = 0; I < 64 && T < At + 2 + Length; ++I, T += Wide ? 2 : 1)
                    Values.push_back(Wide ? Data[T] << 8 | Data[T + 1] : Data[T]);
            }
        }
        At += 2 + Length;
    }
    return Values;
}
