#include "sheetpainter.h"

#include "engine/exceptions.h"

#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

// Colours as 0xRRGGBB: a plain dark background, white and light grey text, and the band under
// a tile's time, black at kBandOpacity.
constexpr uint32_t kBackground = 0x1C1C1C;
constexpr uint32_t kTitleColour = 0xFFFFFF;
constexpr uint32_t kInfoColour = 0xC8C8C8;
constexpr uint32_t kTimeColour = 0xF4F4F4;
constexpr double kBandOpacity = 0.62;

// Font sizes in pixels: the header's lines as fractions of the sheet's width, a tile's time as
// a fraction of the tile's shorter side, none below a size that still reads.
constexpr double kTitleSize = 0.016;
constexpr double kInfoSize = 0.011;
constexpr int32_t kMinHeaderPixels = 11;
constexpr double kTimeSize = 0.10;
constexpr int32_t kMinTimePixels = 9;
constexpr int32_t kMaxTimePixels = 40;
// The font family as fontconfig resolves it; scripts it lacks come from other fonts.
constexpr const char* kFontFamily = "Sans";

struct TLayoutDeleter {
    void operator()(PangoLayout* Layout) const { g_object_unref(Layout); }
};
using TLayout = std::unique_ptr<PangoLayout, TLayoutDeleter>;

// One line of text in the sheet's font at Pixels; Width > 0 cuts it to that many pixels with
// an ellipsis in the middle (a file name keeps its start and its extension).
TLayout MakeLayout(cairo_t* Cairo, const std::string& Text, bool Bold, int32_t Pixels, int32_t Width) {
    TLayout Layout(pango_cairo_create_layout(Cairo));
    PangoFontDescription* Font = pango_font_description_new();
    pango_font_description_set_family(Font, kFontFamily);
    pango_font_description_set_weight(Font, Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(Font, Pixels * PANGO_SCALE);
    pango_layout_set_font_description(Layout.get(), Font);
    pango_font_description_free(Font);
    pango_layout_set_single_paragraph_mode(Layout.get(), TRUE);
    if (Width > 0) {
        pango_layout_set_width(Layout.get(), Width * PANGO_SCALE);
        pango_layout_set_ellipsize(Layout.get(), PANGO_ELLIPSIZE_MIDDLE);
    }
    // File names need not be UTF-8; Pango takes nothing else.
    gchar* Valid = g_utf8_make_valid(Text.c_str(), static_cast<gssize>(Text.size()));
    pango_layout_set_text(Layout.get(), Valid, -1);
    g_free(Valid);
    return Layout;
}

// The height of a line of Text; Missing counts up the characters that no font could show.
int32_t LineHeight(cairo_t* Cairo, const std::string& Text, bool Bold, int32_t Pixels, int32_t& Missing) {
    const TLayout Layout = MakeLayout(Cairo, Text, Bold, Pixels, 0);
    int Width = 0, Height = 0;
    pango_layout_get_pixel_size(Layout.get(), &Width, &Height);
    Missing += pango_layout_get_unknown_glyphs_count(Layout.get());
    return Height;
}

void SetColour(cairo_t* Cairo, uint32_t Colour, double Alpha = 1.0) {
    cairo_set_source_rgba(Cairo, ((Colour >> 16) & 0xFF) / 255.0, ((Colour >> 8) & 0xFF) / 255.0,
                          (Colour & 0xFF) / 255.0, Alpha);
}

void Check(cairo_status_t Status) {
    if (Status != CAIRO_STATUS_SUCCESS)
        throw Exception(std::string("Cannot draw the sheet: ") + cairo_status_to_string(Status));
}

int32_t Scaled(int32_t Length, double Fraction, int32_t Minimum) {
    return std::max(Minimum, static_cast<int32_t>(std::lround(Length * Fraction)));
}

} // namespace

TSheetPainter::TSheetPainter(int32_t SheetWidth, std::string Title, std::string Info)
    : FTitle(std::move(Title)), FInfo(std::move(Info)), FTitlePixels(Scaled(SheetWidth, kTitleSize, kMinHeaderPixels)),
      FInfoPixels(Scaled(SheetWidth, kInfoSize, kMinHeaderPixels)), FGap(SheetGap(SheetWidth)) {
    // Measuring needs a context only, not the sheet: a one-pixel surface serves.
    cairo_surface_t* Surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    cairo_t* Cairo = cairo_create(Surface);
    const cairo_status_t Status = cairo_status(Cairo);
    if (Status == CAIRO_STATUS_SUCCESS) {
        // The lines' own text, since a fallback font for another script may be taller.
        FTitleHeight = LineHeight(Cairo, FTitle, true, FTitlePixels, FMissingGlyphs);
        FInfoHeight = LineHeight(Cairo, FInfo, false, FInfoPixels, FMissingGlyphs);
    }
    cairo_destroy(Cairo);
    cairo_surface_destroy(Surface);
    Check(Status);
    FHeaderHeight = FGap + FTitleHeight + FInfoHeight / 4 + FInfoHeight + FGap;
}

TSheetPainter::~TSheetPainter() { End(); }

void TSheetPainter::Begin(TFastDIB& Sheet, const TSheetLayout& Layout) {
    End();
    Sheet.SetSize(Layout.Width, Layout.Height, 32);
    if (Sheet.BWidth() != cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, Layout.Width))
        throw Exception("Cannot draw the sheet: its rows are laid out differently from Cairo's");
    FSheet = &Sheet;
    FSurface = cairo_image_surface_create_for_data(Sheet.Bits(), CAIRO_FORMAT_RGB24, Layout.Width, Layout.Height,
                                                   Sheet.BWidth());
    FCairo = cairo_create(FSurface);
    Check(cairo_status(FCairo));

    SetColour(FCairo, kBackground);
    cairo_paint(FCairo);
    const TSheetRect& H = Layout.Header;
    DrawText(FTitle, true, FTitlePixels, H.X, H.Y + FGap, H.Width, kTitleColour);
    DrawText(FInfo, false, FInfoPixels, H.X, H.Y + FGap + FTitleHeight + FInfoHeight / 4, H.Width, kInfoColour);
    cairo_surface_flush(FSurface);
}

void TSheetPainter::PlaceTile(const TFastDIB& Tile, const TSheetRect& Where) {
    if (!FSheet)
        return;
    const int32_t Rows = std::min(Where.Height, Tile.AbsHeight());
    const int32_t Columns = std::min(Where.Width, Tile.Width());
    for (int32_t Row = 0; Row < Rows; ++Row)
        MoveLongs(Tile.Scanlines()[Row], FSheet->Scanlines()[Where.Y + Row] + 4 * Where.X, Columns);
    cairo_surface_mark_dirty_rectangle(FSurface, Where.X, Where.Y, Columns, Rows);
}

void TSheetPainter::DrawTileTime(const TSheetRect& Where, const std::string& Text) {
    if (!FCairo)
        return;
    const int32_t Pixels =
        std::min(kMaxTimePixels, Scaled(std::min(Where.Width, Where.Height), kTimeSize, kMinTimePixels));
    TLayout Layout = MakeLayout(FCairo, Text, true, Pixels, 0);
    PangoRectangle Ink{}, Logical{};
    pango_layout_get_pixel_extents(Layout.get(), &Ink, &Logical);
    const int32_t Pad = std::max(2, Pixels / 4);
    const int32_t Margin = std::max(2, Pixels / 5);
    // The band hugs the logical line height; the text keeps its own baseline inside it.
    const int32_t BandWidth = Logical.width + 2 * Pad;
    const int32_t BandHeight = Logical.height + Pad / 2;
    const int32_t BandX = Where.X + Where.Width - Margin - BandWidth;
    const int32_t BandY = Where.Y + Where.Height - Margin - BandHeight;
    cairo_save(FCairo);
    cairo_rectangle(FCairo, Where.X, Where.Y, Where.Width, Where.Height);
    cairo_clip(FCairo);
    SetColour(FCairo, 0x000000, kBandOpacity);
    cairo_rectangle(FCairo, BandX, BandY, BandWidth, BandHeight);
    cairo_fill(FCairo);
    SetColour(FCairo, kTimeColour);
    cairo_move_to(FCairo, BandX + Pad - Logical.x, BandY + Pad / 4 - Logical.y);
    pango_cairo_show_layout(FCairo, Layout.get());
    cairo_restore(FCairo);
    cairo_surface_flush(FSurface);
}

void TSheetPainter::End() {
    if (FCairo)
        cairo_destroy(FCairo);
    if (FSurface) {
        cairo_surface_flush(FSurface);
        cairo_surface_destroy(FSurface);
    }
    FCairo = nullptr;
    FSurface = nullptr;
    FSheet = nullptr;
}

void TSheetPainter::DrawText(const std::string& Text, bool Bold, int32_t Pixels, int32_t X, int32_t Y,
                             int32_t Width, uint32_t Colour) {
    TLayout Layout = MakeLayout(FCairo, Text, Bold, Pixels, Width);
    SetColour(FCairo, Colour);
    cairo_move_to(FCairo, X, Y);
    pango_cairo_show_layout(FCairo, Layout.get());
}
