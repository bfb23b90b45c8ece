// Reads a written thumbnail back: its size and the identity of the frame it shows.
#pragma once

#include "frame_identity.h"

#include <FreeImage.h>

#include <string>

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
