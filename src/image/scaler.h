// The scaler of the thumbnail pipeline: the convert thread scales every chosen frame from its
// frame-sized TFastDIB into the thumbnail-sized one. Bilinear, integer-only, in 16.16 fixed point,
// with the sample grid centred on both images, so that a same-size scale reproduces the source
// exactly and a 2:1 reduction averages 2x2 blocks. A side reduced by more than 2x is first
// area-averaged (every source pixel counts, by how much of it a thumbnail pixel covers), so that
// large reductions do not alias; 2x or less and enlargements are bilinear alone.
#pragma once

#include "imagebuffer.h"

// Scales Src into Dst, whose size and depth were set before. Does nothing when either image holds no
// pixels, when the depths differ, or at a depth other than 8, 24 or 32 bits.
void Bilinear(const TFastDIB& Src, TFastDIB& Dst);

// The 32-bit member: all four bytes of a pixel are interpolated. Dst must be 32 bits per pixel and
// Src is read as 32 bits per pixel; Bilinear checks that, this does not.
void Bilinear32(const TFastDIB& Src, TFastDIB& Dst);
