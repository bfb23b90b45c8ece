// Nearest-neighbour scaling of SDL surfaces for the video panel: ScaleSurface makes a
// scaled copy of a rectangle of a surface, row by row through StretchRow. Both step with
// the same integer error term (Bresenham), so the first source pixel always lands on the
// first destination pixel and no division happens per pixel.
#pragma once

struct SDL_Surface;

// A new surface of DstW x DstH with the source's format and colour key, holding the
// source rectangle (SX, SY, SrcW, SrcH) scaled by nearest neighbour; none when the sizes
// are empty or the new surface cannot be locked. The caller frees it.
SDL_Surface* ScaleSurface(SDL_Surface* Src, int SX, int SY, int SrcW, int SrcH, int DstW, int DstH);

// Fills destination row R of Dst (DstW pixels) from source row SourceRow of Src, columns
// from SX on (SrcW of them). Never reads past the source row's last column, also when
// the destination is twice the source's width or more.
void StretchRow(SDL_Surface* Src, SDL_Surface* Dst, int SX, int SrcW, int SourceRow, int R, int DstW);
