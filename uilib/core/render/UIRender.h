// CRenderEngine: the library's static drawing operations. This first cut holds
// what the paint path needs (colour fills, gradients, borders, clipping) and
// the image loading seam used by the paint manager's image cache.
#pragma once
#include "core/base/UiLibApi.h"
#include "core/base/UiString.h"

#include <windows.h>

namespace UiLib {

class CPaintManagerUI;

// One loaded picture, kept by a paint manager's image cache.
struct UILIB_API tagTImageEntry {
    HBITMAP hBitmap = nullptr;
    int nX = 0;
    int nY = 0;
    bool alphaChannel = false;
    CUiString sResType;
    DWORD dwMask = 0;
};
typedef tagTImageEntry TImageInfo;

// Selects a clip region for the lifetime of a paint step and restores the old
// one afterwards.
class UILIB_API CRenderClip {
public:
    CRenderClip() = default;
    CRenderClip(const CRenderClip&) = delete;
    CRenderClip& operator=(const CRenderClip&) = delete;
    ~CRenderClip();

    RECT rcItem = {0, 0, 0, 0};
    HDC hDC = nullptr;
    HRGN hRgn = nullptr;
    HRGN hOldRgn = nullptr;

    static void GenerateClip(HDC hDC, RECT rc, CRenderClip& clip);
    static void GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip);
    static void Restore(CRenderClip& clip);
    // Temporarily widen the clip back to the one in force before the clip was made.
    static void UseOldClipBegin(HDC hDC, CRenderClip& clip);
    static void UseOldClipEnd(HDC hDC, CRenderClip& clip);
};

class UILIB_API CRenderEngine {
public:
    // ARGB (0xAARRGGBB) to a GDI COLORREF (0x00BBGGRR).
    static COLORREF ToColorRef(DWORD argb) {
        return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    }
    // Shifts hue, saturation and lightness; 180/100/100 keeps the colour.
    static DWORD AdjustColor(DWORD color, short hue, short saturation, short lightness);
    // Hue in degrees, saturation and lightness 0..1; the alpha byte is kept.
    static void RgbToHsl(DWORD color, float* hue, float* saturation, float* lightness);
    static void HslToRgb(DWORD& color, float hue, float saturation, float lightness);
    // Pixel passes for layered windows: clear a rectangle, and give alpha 255
    // to pixels that GDI drew with alpha 0.
    static void ClearPixels(const RECT& rc, DWORD* pixels, int rowLength);
    static void FillMissingAlpha(const RECT& rc, DWORD* pixels, int rowLength);

    // Loads an image file (resource folder, skin zip or plain path) or a
    // numbered resource of a type; null when it cannot be found or decoded.
    static TImageInfo* LoadImage(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0);
    static void FreeImage(TImageInfo* image);

    // Draws (or with DT_CALCRECT measures into rc) plain text in one of the
    // manager's fonts (-1: the default font).
    static void DrawTextW(HDC hDC, CPaintManagerUI* manager, RECT& rc, const wchar_t* text, DWORD color, int font,
                         UINT style);
    // Draws (or measures) text with the library's inline tags. The link arrays
    // (capacity in *linkCount) receive each link's rectangle and text; on return
    // *linkCount holds the number of links found.
    static void DrawRichText(HDC hDC, CPaintManagerUI* manager, RECT& rc, const wchar_t* text, DWORD color,
                             RECT* linkRects, CUiString* linkTexts, int* linkCount, UINT style);

    // Fills with an ARGB colour; a colour below full alpha is blended.
    static void DrawColor(HDC hDC, const RECT& rc, DWORD color);
    static void DrawGradient(HDC hDC, const RECT& rc, DWORD first, DWORD second, bool vertical, int steps);
    static void DrawLine(HDC hDC, const RECT& rc, int size, DWORD color, int style = PS_SOLID);
    // Outline of `size` pixels drawn inside the rectangle.
    static void DrawRect(HDC hDC, const RECT& rc, int size, DWORD color);
    static void DrawRoundRect(HDC hDC, const RECT& rc, int width, int height, int size, DWORD color);
    // Draws a part of a bitmap into rc: corners copied at their size, edges and
    // centre stretched (or the centre tiled), the centre left out for a hole.
    // Only pieces meeting rcPaint are drawn.
    static void DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                          const RECT& rcCorners, bool alphaChannel, BYTE fade = 255, bool hole = false,
                          bool xtiled = false, bool ytiled = false);
    // Draws an image description and an optional modifier read after it; false
    // only when the manager or the DC is missing.
    static bool DrawImageString(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                                const wchar_t* image, const wchar_t* modify = nullptr, bool fadeOverride = false,
                                BYTE fade = 255);
    // Draws one image of a description; false when the name is empty or the
    // image cannot be had, true otherwise (also when nothing is visible).
    static bool DrawDescribedImage(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                                   const wchar_t* name, const wchar_t* type, RECT dest, RECT source, RECT corner,
                                   DWORD mask, BYTE fade, bool hole, bool xtiled, bool ytiled, bool fadeOverride);
    // AlphaBlend in software over premultiplied source pixels, for systems
    // without msimg32.
    static BOOL AlphaBlendSoftware(HDC hDC, int x, int y, int width, int height, HDC hSrc, int sx, int sy, int sw,
                                   int sh, BLENDFUNCTION blend);
};

}  // namespace UiLib
