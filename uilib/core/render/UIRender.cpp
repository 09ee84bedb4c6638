#include "core/render/UIRender.h"

#include "core/render/UIRenderInternal.h"
#include "win32/ScopedGdi.h"

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

CRenderClip::~CRenderClip() { Restore(*this); }

void CRenderClip::Restore(CRenderClip& clip) {
    if (clip.m_hDC) SelectClipRgn(clip.m_hDC, clip.m_hOldRgn);
    if (clip.m_hOldRgn) DeleteObject(clip.m_hOldRgn);
    if (clip.m_hRgn) DeleteObject(clip.m_hRgn);
    clip.m_hDC = nullptr;
    clip.m_hOldRgn = nullptr;
    clip.m_hRgn = nullptr;
}

void CRenderClip::GenerateClip(HDC hDC, RECT rc, CRenderClip& clip) {
    Restore(clip);  // a reused clip gives back its regions and the DC's clip
    RECT box = {0, 0, 0, 0};
    GetClipBox(hDC, &box);
    clip.m_hOldRgn = CreateRectRgnIndirect(&box);
    if (GetClipRgn(hDC, clip.m_hOldRgn) != 1) {
        DeleteObject(clip.m_hOldRgn);
        clip.m_hOldRgn = nullptr;
    }
    clip.m_hRgn = CreateRectRgnIndirect(&rc);
    ExtSelectClipRgn(hDC, clip.m_hRgn, RGN_AND);
    clip.m_hDC = hDC;
    clip.m_rcItem = rc;
}

void CRenderClip::GenerateRoundClip(HDC hDC, RECT rc, RECT rcItem, int width, int height, CRenderClip& clip) {
    GenerateClip(hDC, rc, clip);
    ScopedRegion round(CreateRoundRectRgn(rcItem.left, rcItem.top, rcItem.right + 1, rcItem.bottom + 1, width, height));
    CombineRgn(clip.m_hRgn, clip.m_hRgn, round.Get(), RGN_AND);
    ExtSelectClipRgn(hDC, clip.m_hRgn, RGN_AND);
}

void CRenderClip::UseOldClipBegin(HDC hDC, CRenderClip& clip) {
    SelectClipRgn(hDC, clip.m_hOldRgn);
}

void CRenderClip::UseOldClipEnd(HDC hDC, CRenderClip& clip) {
    SelectClipRgn(hDC, clip.m_hOldRgn);
    ExtSelectClipRgn(hDC, clip.m_hRgn, RGN_AND);
}

void CRenderEngine::RgbToHsl(DWORD color, float* hue, float* saturation, float* lightness) {
    float r = ((color >> 16) & 0xFF) / 255.0f, g = ((color >> 8) & 0xFF) / 255.0f, b = (color & 0xFF) / 255.0f;
    float high = std::max({r, g, b}), low = std::min({r, g, b});
    float delta = high - low;
    float h = 0.0f, s = 0.0f, l = (high + low) / 2.0f;
    if (delta > 0.0f) {
        s = l <= 0.5f ? delta / (high + low) : delta / (2.0f - high - low);
        if (high == r)
            h = (g - b) / delta;
        else if (high == g)
            h = 2.0f + (b - r) / delta;
        else
            h = 4.0f + (r - g) / delta;
        h *= 60.0f;
        if (h < 0.0f) h += 360.0f;
    }
    *hue = h;
    *saturation = s;
    *lightness = l;
}

void CRenderEngine::HslToRgb(DWORD& color, float hue, float saturation, float lightness) {
    auto channel = [](float p, float q, float t) {
        if (t < 0.0f) t += 1.0f;
        if (t > 1.0f) t -= 1.0f;
        if (t < 1.0f / 6.0f) return p + (q - p) * 6.0f * t;
        if (t < 0.5f) return q;
        if (t < 2.0f / 3.0f) return p + (q - p) * (2.0f / 3.0f - t) * 6.0f;
        return p;
    };
    float r = lightness, g = lightness, b = lightness;
    if (saturation > 0.0f) {
        float q = lightness < 0.5f ? lightness * (1.0f + saturation) : lightness + saturation - lightness * saturation;
        float p = 2.0f * lightness - q;
        float h = hue / 360.0f;
        r = channel(p, q, h + 1.0f / 3.0f);
        g = channel(p, q, h);
        b = channel(p, q, h - 1.0f / 3.0f);
    }
    auto toByte = [](float v) { return static_cast<DWORD>(std::min(255.0f, std::max(0.0f, v * 255.0f))); };
    color = (color & 0xFF000000) | (toByte(r) << 16) | (toByte(g) << 8) | toByte(b);
}

DWORD CRenderEngine::AdjustColor(DWORD color, short hue, short saturation, short lightness) {
    if (hue == 180 && saturation == 100 && lightness == 100) return color;
    float h = 0, s = 0, l = 0;
    RgbToHsl(color, &h, &s, &l);
    h += hue - 180;
    if (h <= 0.0f) h += 360.0f;
    if (h > 360.0f) h -= 360.0f;
    s *= saturation / 100.0f;
    l *= lightness / 100.0f;
    HslToRgb(color, h, std::min(s, 1.0f), std::min(l, 1.0f));
    return color;
}

void CRenderEngine::ClearPixels(const RECT& rc, DWORD* pixels, int rowLength) {
    for (LONG y = rc.top; y < rc.bottom; ++y)
        for (LONG x = rc.left; x < rc.right; ++x) pixels[static_cast<size_t>(y) * rowLength + x] = 0;
}

void CRenderEngine::FillMissingAlpha(const RECT& rc, DWORD* pixels, int rowLength) {
    for (LONG y = rc.top; y < rc.bottom; ++y) {
        for (LONG x = rc.left; x < rc.right; ++x) {
            DWORD& pixel = pixels[static_cast<size_t>(y) * rowLength + x];
            if ((pixel & 0xFF000000) == 0 && (pixel & 0x00FFFFFF) != 0) pixel |= 0xFF000000;
        }
    }
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
    void* bits = nullptr;
    ScopedBitmap pixel(CreateBgraDib(hDC, 1, 1, &bits));
    if (!pixel) return;
    auto premultiply = [alpha](DWORD channel) { return channel * alpha / 255; };
    *static_cast<DWORD*>(bits) = (static_cast<DWORD>(alpha) << 24) | (premultiply((color >> 16) & 0xFF) << 16) |
                                 (premultiply((color >> 8) & 0xFF) << 8) | premultiply(color & 0xFF);
    ScopedMemoryDC memory(hDC);
    SelectGuard select(memory.Get(), pixel.Get());
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    BlendPixels(hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, memory.Get(), 0, 0, 1, 1, bf);
}

namespace {

typedef BOOL(WINAPI* GradientFillFn)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

GradientFillFn SystemGradientFill() {
    static const GradientFillFn fn = reinterpret_cast<GradientFillFn>(reinterpret_cast<void*>(Msimg32Function("GradientFill")));
    return fn;
}

// Paints an opaque gradient over rc: GradientFill when msimg32 has it, else
// 8 or 16 solid bands laid from the far end.
void PaintGradient(HDC hDC, const RECT& rc, DWORD first, DWORD second, bool vertical, int steps) {
    if (GradientFillFn fill = SystemGradientFill()) {
        auto vertex = [](LONG x, LONG y, DWORD c) {
            return TRIVERTEX{x, y, static_cast<COLOR16>(((c >> 16) & 0xFF) << 8),
                             static_cast<COLOR16>(((c >> 8) & 0xFF) << 8), static_cast<COLOR16>((c & 0xFF) << 8),
                             0xFF00};
        };
        TRIVERTEX vertices[2] = {vertex(rc.left, rc.top, first), vertex(rc.right, rc.bottom, second)};
        GRADIENT_RECT mesh = {0, 1};
        fill(hDC, vertices, 2, &mesh, 1, vertical ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
        return;
    }
    const int shift = steps >= 16 ? 4 : 3;
    const int n = 1 << shift;
    const int length = vertical ? rc.bottom - rc.top : rc.right - rc.left;
    for (int i = 0; i < n; ++i) {
        auto mix = [&](int bits) {
            DWORD a = (first >> bits) & 0xFF, b = (second >> bits) & 0xFF;
            return ((b * (n - i) + a * i) >> shift) << bits;
        };
        RECT band = rc;
        LONG from = length * i / n, to = length * (i + 1) / n;
        if (vertical) {
            band.top = rc.bottom - to;
            band.bottom = rc.bottom - from;
        } else {
            band.left = rc.right - to;
            band.right = rc.right - from;
        }
        if (band.right <= band.left || band.bottom <= band.top) continue;
        FillOpaque(hDC, band, CRenderEngine::ToColorRef(mix(16) | mix(8) | mix(0)));
    }
}

}  // namespace

void CRenderEngine::DrawGradient(HDC hDC, const RECT& rc, DWORD first, DWORD second, bool vertical, int steps) {
    int width = rc.right - rc.left, height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0) return;
    BYTE alpha = static_cast<BYTE>(((first >> 24) + (second >> 24)) / 2);
    if (alpha == 0) return;
    if (alpha == 255) {
        PaintGradient(hDC, rc, first, second, vertical, steps);
        return;
    }
    // Drawn offscreen and blended with the constant alpha only: the offscreen
    // pixels carry no alpha of their own to weigh by.
    ScopedBitmap bitmap(CreateCompatibleBitmap(hDC, width, height));
    ScopedMemoryDC memory(hDC);
    if (!memory || !bitmap) return;
    SelectGuard select(memory.Get(), bitmap.Get());
    PaintGradient(memory.Get(), RECT{0, 0, width, height}, first, second, vertical, steps);
    BLENDFUNCTION bf = {AC_SRC_OVER, 0, alpha, 0};
    BlendPixels(hDC, rc.left, rc.top, width, height, memory.Get(), 0, 0, width, height, bf);
}

void CRenderEngine::DrawLine(HDC hDC, const RECT& rc, int size, DWORD color, int style) {
    LOGBRUSH brush = {BS_SOLID, ToColorRef(color), 0};
    ScopedPen pen(ExtCreatePen(PS_GEOMETRIC | style, size, &brush, 0, nullptr));
    SelectGuard select(hDC, pen.Get());
    POINT previous;
    MoveToEx(hDC, rc.left, rc.top, &previous);
    LineTo(hDC, rc.right, rc.bottom);
    MoveToEx(hDC, previous.x, previous.y, nullptr);
}

void CRenderEngine::DrawRect(HDC hDC, const RECT& rc, int size, DWORD color) {
    // A GDI pen, as for lines and round rectangles: the colour's alpha byte is
    // dropped, so "#102030" outlines as "#FF102030" does; PS_INSIDEFRAME keeps
    // the outline inside the rectangle at any width.
    ScopedPen pen(CreatePen(PS_SOLID | PS_INSIDEFRAME, size, ToColorRef(color)));
    SelectGuard selectPen(hDC, pen.Get());
    SelectGuard selectBrush(hDC, GetStockObject(NULL_BRUSH));
    Rectangle(hDC, rc.left, rc.top, rc.right, rc.bottom);
}

void CRenderEngine::DrawRoundRect(HDC hDC, const RECT& rc, int width, int height, int size, DWORD color) {
    ScopedPen pen(CreatePen(PS_SOLID | PS_INSIDEFRAME, size, ToColorRef(color)));
    SelectGuard selectPen(hDC, pen.Get());
    SelectGuard selectBrush(hDC, GetStockObject(NULL_BRUSH));
    RoundRect(hDC, rc.left, rc.top, rc.right, rc.bottom, width, height);
}

}  // namespace UiLib
