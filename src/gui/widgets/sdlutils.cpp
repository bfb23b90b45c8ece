#include "sdlutils.h"

#include <SDL/SDL.h>

#include <algorithm>
#include <cstring>

void StretchRow(SDL_Surface* Src, SDL_Surface* Dst, int SX, int SrcW, int SourceRow, int R, int DstW) {
    if (R >= Dst->h || SrcW <= 0)
        return;
    const int B = Src->format->BytesPerPixel;
    const Uint8* SrcRow = static_cast<const Uint8*>(Src->pixels) + SourceRow * Src->pitch;
    Uint8* Out = static_cast<Uint8*>(Dst->pixels) + R * Dst->pitch;
    const int Last = SX + SrcW - 1;
    int Column = SX;
    int E = 2 * SrcW - DstW;
    for (int I = 0; I < DstW; ++I) {
        // From twice the source width on the stepping reaches one past the last column at
        // the end of the row; the last column stands in for it.
        std::memcpy(Out, SrcRow + std::min(Column, Last) * B, B);
        while (E >= 0) {
            ++Column;
            E -= 2 * DstW;
        }
        Out += B;
        E += 2 * SrcW;
    }
}

SDL_Surface* ScaleSurface(SDL_Surface* Src, int SX, int SY, int SrcW, int SrcH, int DstW, int DstH) {
    if (SrcW <= 0 || SrcH <= 0 || DstW <= 0 || DstH <= 0)
        return nullptr;
    const SDL_PixelFormat* Format = Src->format;
    SDL_Surface* Dst = SDL_CreateRGBSurface(SDL_HWPALETTE, DstW, DstH, Format->BitsPerPixel, Format->Rmask,
                                            Format->Gmask, Format->Bmask, Format->Amask);
    if (!Dst)
        return nullptr;
    if (Dst->format->BytesPerPixel == 1 && Format->palette)
        SDL_SetColors(Dst, Format->palette->colors, 0, 256);
    SDL_SetColorKey(Dst, SDL_SRCCOLORKEY, Format->colorkey);

    const bool MustLock = SDL_MUSTLOCK(Dst);
    if (MustLock && SDL_LockSurface(Dst) < 0) {
        SDL_FreeSurface(Dst);
        return nullptr;
    }
    const int LastRow = SY + SrcH - 1;
    int SourceRow = SY;
    int E = 2 * SrcH - DstH;
    for (int R = 0; R < DstH; ++R) {
        StretchRow(Src, Dst, SX, SrcW, std::min(SourceRow, LastRow), R, DstW);
        while (E >= 0) {
            ++SourceRow;
            E -= 2 * DstH;
        }
        E += 2 * SrcH;
    }
    if (MustLock)
        SDL_UnlockSurface(Dst);
    return Dst;
}
