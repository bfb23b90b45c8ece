// TSheetPainter draws a contact sheet into its TFastDIB: the plain background, the header's
// two lines of text, the scaled tiles and each tile's time. Text goes through Pango (fonts
// found by fontconfig, shaping and font fallback, so a file name in any script shows its own
// letters) onto a Cairo RGB24 image surface laid over the sheet's own memory, whose pixels
// are the same 0x00RRGGBB words as ours; nothing is copied in or out.
//
// The sheet job owns one painter for a sheet: it asks for the header's height first (it
// depends on the fonts), lays the sheet out, then calls Begin, the drawing calls and End.
// Every font size follows from the sheet's width or the tile's size, so a sheet looks the
// same at any width. Rows are top first while the painter draws.
#pragma once

#include "image/imagebuffer.h"
#include "sheetlayout.h"

#include <string>

struct _cairo;
struct _cairo_surface;

class TSheetPainter {
public:
    // Title: the header's first line (the file name), Info its second.
    TSheetPainter(int32_t SheetWidth, std::string Title, std::string Info);
    ~TSheetPainter();
    TSheetPainter(const TSheetPainter&) = delete;
    TSheetPainter& operator=(const TSheetPainter&) = delete;

    // The header's height with its margins, for LayOutSheet.
    int32_t HeaderHeight() const { return FHeaderHeight; }
    // How many characters of the header no installed font could show.
    int32_t MissingGlyphs() const { return FMissingGlyphs; }

    // Sizes Sheet to the layout, fills it with the background and draws the header. Throws
    // Exception when Cairo cannot draw on it.
    void Begin(TFastDIB& Sheet, const TSheetLayout& Layout);
    // Copies Tile (32 bits, top row first, Where's size) to Where.
    void PlaceTile(const TFastDIB& Tile, const TSheetRect& Where);
    // Writes Text into the lower right corner of the tile at Where, light on a dark band.
    void DrawTileTime(const TSheetRect& Where, const std::string& Text);
    // Finishes the drawing; the sheet's memory holds the finished picture.
    void End();

private:
    void DrawText(const std::string& Text, bool Bold, int32_t Pixels, int32_t X, int32_t Y, int32_t Width,
                  uint32_t Colour);

    std::string FTitle;
    std::string FInfo;
    int32_t FTitlePixels;
    int32_t FInfoPixels;
    int32_t FTitleHeight = 0;
    int32_t FInfoHeight = 0;
    int32_t FHeaderHeight = 0;
    int32_t FMissingGlyphs = 0;
    int32_t FGap;
    TFastDIB* FSheet = nullptr;
    _cairo_surface* FSurface = nullptr;
    _cairo* FCairo = nullptr;
};
