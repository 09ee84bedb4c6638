#include "UIRender.h"

#include "UIManager.h"
#include "UIRenderBlend.h"

#include <algorithm>
#include <string>
#include <vector>

namespace UiLib {

namespace {

void FillOpaque(HDC hDC, const RECT& rc, COLORREF color) {
    COLORREF old = SetBkColor(hDC, color);
    ExtTextOutW(hDC, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    SetBkColor(hDC, old);
}

}  // namespace

CRenderClip::~CRenderClip() {
    if (hDC) {
        SelectClipRgn(hDC, hOldRgn);
    }
    if (hOldRgn) DeleteObject(hOldRgn);
    if (hRgn) DeleteObject(hRgn);
}

void CRenderClip::GenerateClip(HDC hDC, RECT rc, CRenderClip& clip) {
    RECT box = {0, 0, 0, 0};
    GetClipBox(hDC, &box);
    clip.hOldRgn = CreateRectRgnIndirect(&box);
    if (GetClipRgn(hDC, clip.hOldRgn) != 1) {
        DeleteObject(clip.hOldRgn);
        clip.hOldRgn = nullptr;
    }
    clip.hRgn = CreateRectRgnIndirect(&rc);
    ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
    clip.hDC = hDC;
    clip.rcItem = rc;
}

void CRenderClip::GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip) {
    GenerateClip(hDC, rc, clip);
    HRGN round = CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1, rcItem.bottom + 1, width, height);
    CombineRgn(clip.hRgn, clip.hRgn, round, RGN_AND);
    DeleteObject(round);
    ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
}

void CRenderClip::UseOldClipBegin(HDC hDC, CRenderClip& clip) {
    SelectClipRgn(hDC, clip.hOldRgn);
}

void CRenderClip::UseOldClipEnd(HDC hDC, CRenderClip& clip) {
    SelectClipRgn(hDC, clip.hOldRgn);
    ExtSelectClipRgn(hDC, clip.hRgn, RGN_AND);
}

DWORD CRenderEngine::AdjustColor(DWORD color, short hue, short saturation, short lightness) {
    // The library only ever asks for 180/100/100, which keeps the colour; the
    // HSL conversion for other values comes with the colour side of the engine.
    (void)hue;
    (void)saturation;
    (void)lightness;
    return color;
}

void CRenderEngine::DrawColor(HDC hDC, const RECT& rc, DWORD color) {
    if (rc.right <= rc.left || rc.bottom <= rc.top) return;
    BYTE alpha = static_cast<BYTE>(color >> 24);
    if (alpha == 0) return;
    if (alpha == 0xFF) {
        FillOpaque(hDC, rc, ToColorRef(color));
        return;
    }
    // One premultiplied pixel stretched over the rectangle.
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 1;
    bmi.bmiHeader.biHeight = 1;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP pixel = CreateDIBSection(hDC, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!pixel) return;
    auto premultiply = [alpha](DWORD channel) { return channel * alpha / 255; };
    *static_cast<DWORD*>(bits) = (static_cast<DWORD>(alpha) << 24) | (premultiply((color >> 16) & 0xFF) << 16) |
                                 (premultiply((color >> 8) & 0xFF) << 8) | premultiply(color & 0xFF);
    HDC memory = CreateCompatibleDC(hDC);
    HGDIOBJ old = SelectObject(memory, pixel);
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    BlendPixels(hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, memory, 0, 0, 1, 1, bf);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(pixel);
}

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD first, DWORD second, bool vertical, int steps) {
    int length = vertical ? rc.bottom - rc.top : rc.right - rc.left;
    if (length <= 0 || steps <= 0) return;
    steps = std::min(steps, length);
    for (int i = 0; i < steps; ++i) {
        auto mix = [i, steps](DWORD a, DWORD b, int shift) {
            int ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
            int denom = steps > 1 ? steps - 1 : 1;
            return static_cast<DWORD>(ca + (cb - ca) * i / denom) << shift;
        };
        DWORD color = mix(first, second, 24) | mix(first, second, 16) | mix(first, second, 8) | mix(first, second, 0);
        RECT band = rc;
        int from = length * i / steps, to = length * (i + 1) / steps;
        if (vertical) {
            band.top = rc.top + from;
            band.bottom = rc.top + to;
        } else {
            band.left = rc.left + from;
            band.right = rc.left + to;
        }
        DrawColor(hDC, band, color);
    }
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int size, DWORD color, int style) {
    LOGBRUSH brush = {BS_SOLID, ToColorRef(color), 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | style, size, &brush, 0, nullptr);
    HGDIOBJ old = SelectObject(hDC, pen);
    POINT previous;
    MoveToEx(hDC, rc.left, rc.top, &previous);
    LineTo(hDC, rc.right, rc.bottom);
    MoveToEx(hDC, previous.x, previous.y, nullptr);
    SelectObject(hDC, old);
    DeleteObject(pen);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int size, DWORD color) {
    if (size <= 0) return;
    // Four filled bands keep the outline inside the rectangle at any width.
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return;
    int sx = std::min(size, w), sy = std::min(size, h);
    RECT top = {rc.left, rc.top, rc.right, rc.top + sy};
    RECT bottom = {rc.left, rc.bottom - sy, rc.right, rc.bottom};
    RECT left = {rc.left, rc.top + sy, rc.left + sx, rc.bottom - sy};
    RECT right = {rc.right - sx, rc.top + sy, rc.right, rc.bottom - sy};
    for (const RECT* band : {&top, &bottom, &left, &right}) DrawColor(hDC, *band, color);
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int width, int height, int size, DWORD color) {
    HPEN pen = CreatePen(PS_SOLID | PS_INSIDEFRAME, size, ToColorRef(color));
    HGDIOBJ oldPen = SelectObject(hDC, pen);
    HGDIOBJ oldBrush = SelectObject(hDC, GetStockObject(NULL_BRUSH));
    RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
    SelectObject(hDC, oldBrush);
    SelectObject(hDC, oldPen);
    DeleteObject(pen);
}

}  // namespace UiLib
