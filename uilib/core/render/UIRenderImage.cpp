// The image side of the render engine: loading and decoding into premultiplied
// DIBs, the image description syntax, and drawing a bitmap part with nine-grid
// corners, tiling, a hole and a fade.
#include "core/manager/UIManager.h"
#include "core/render/UIRender.h"
#include "core/render/UIRenderInternal.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_GIF
#define STBI_ONLY_TGA
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace UiLib {

namespace {

typedef BOOL(WINAPI* AlphaBlendFn)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);

// msimg32 is loaded by the paint manager; looked up once.
AlphaBlendFn SystemAlphaBlend() {
    static AlphaBlendFn fn = [] {
        HMODULE module = GetModuleHandleW(L"msimg32.dll");
        if (!module) module = LoadLibraryW(L"msimg32.dll");
        return module ? reinterpret_cast<AlphaBlendFn>(reinterpret_cast<void*>(GetProcAddress(module, "AlphaBlend"))) : nullptr;
    }();
    return fn;
}

bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size > 0;
    DWORD read = 0;
    if (ok) {
        bytes.resize(size);
        ok = ReadFile(file, bytes.data(), size, &read, nullptr) && read == size;
    }
    CloseHandle(file);
    return ok;
}

bool ReadResourceBytes(const wchar_t* name, const wchar_t* type, std::vector<BYTE>& bytes) {
    if (name[0] < L'0' || name[0] > L'9') return false;
    HINSTANCE module = CPaintManagerUI::GetResourceInstance();
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(_wtoi(name)), type);
    if (!res) return false;
    HGLOBAL global = LoadResource(module, res);
    DWORD size = SizeofResource(module, res);
    const BYTE* data = global ? static_cast<const BYTE*>(LockResource(global)) : nullptr;
    if (!data || size == 0) return false;
    bytes.assign(data, data + size);
    return true;
}

bool ReadZipBytes(const std::wstring& folder, const std::wstring& zipName, const wchar_t* name,
                  std::vector<BYTE>& bytes) {
    HZIP zip = CPaintManagerUI::GetResourceZipHandle();
    bool own = false;
    if (!zip || !CPaintManagerUI::IsCachedResourceZip()) {
        zip = OpenZipArchive(ZIP_FILENAME, (folder + zipName).c_str(), 0);
        own = true;
    }
    if (!zip) return false;
    ZIPENTRY entry;
    int index = -1;
    bool found = FindZipEntry(zip, name, &index, &entry) == ZR_OK && entry.unc_size > 0;
    if (found) {
        bytes.resize(entry.unc_size);
        found = ExtractZipEntry(zip, index, bytes.data(), entry.unc_size, ZIP_MEMORY) == ZR_OK;
    }
    if (own) CloseZipArchive(zip);
    return found;
}

}  // namespace

bool ReadImageBytes(const wchar_t* name, const wchar_t* type, std::vector<BYTE>& bytes) {
    if (type && *type) {
        if (ReadResourceBytes(name, type, bytes)) return true;
    } else {
        std::wstring folder = CPaintManagerUI::GetResourcePath();
        std::wstring zipName = CPaintManagerUI::GetResourceZip();
        if (zipName.empty() ? ReadWholeFile(folder + name, bytes) : ReadZipBytes(folder, zipName, name, bytes))
            return true;
    }
    return ReadWholeFile(name, bytes);
}

namespace {

struct StbPixels {
    stbi_uc* data = nullptr;
    ~StbPixels() { stbi_image_free(data); }
};

// Decodes into a top-down premultiplied BGRA DIB; pixels equal to the mask
// (after premultiplying) become fully transparent.
TImageInfo* DecodeImage(const std::vector<BYTE>& bytes, DWORD mask) {
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) return nullptr;
    int width = 0, height = 0, channels = 0;
    StbPixels pixels;
    pixels.data = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4);
    if (!pixels.data || width <= 0 || height <= 0) return nullptr;
    // The DIB size must fit a DWORD and the address space.
    uint64_t byteCount = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u;
    if (byteCount > 0x7FFFFFFFu) return nullptr;

    void* bits = nullptr;
    HBITMAP bitmap = CreateBgraDib(nullptr, width, height, &bits);
    if (!bitmap) return nullptr;
    bool hasAlpha = false;
    const size_t count = static_cast<size_t>(byteCount / 4);
    const stbi_uc* in = pixels.data;
    DWORD* out = static_cast<DWORD*>(bits);
    for (size_t i = 0; i < count; ++i, in += 4) {
        DWORD r = in[0], g = in[1], b = in[2], a = in[3];
        if (a != 255) {
            r = r * a / 255;
            g = g * a / 255;
            b = b * a / 255;
            hasAlpha = true;
        }
        DWORD pixel = (a << 24) | (r << 16) | (g << 8) | b;
        if (pixel == mask) {
            pixel = 0;
            hasAlpha = true;
        }
        out[i] = pixel;
    }
    TImageInfo* info = new TImageInfo;
    info->hBitmap = bitmap;
    info->nX = width;
    info->nY = height;
    info->alphaChannel = hasAlpha;
    return info;
}

bool IsEmptyRect(const RECT& rc) { return rc.right <= rc.left || rc.bottom <= rc.top; }

// Copies or blends one piece of the bitmap; pieces that miss the paint
// rectangle or have no size are skipped before any blit.
class PieceDrawer {
public:
    PieceDrawer(HDC target, HDC source, const RECT& paint, bool blended, BYTE fade)
        : target_(target), source_(source), paint_(paint), blended_(blended) {
        blend_ = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
    }

    void Draw(const RECT& dst, const RECT& src) const {
        if (IsEmptyRect(dst) || IsEmptyRect(src)) return;
        RECT visible;
        if (!IntersectRect(&visible, &dst, &paint_)) return;
        int w = dst.right - dst.left, h = dst.bottom - dst.top;
        int sw = src.right - src.left, sh = src.bottom - src.top;
        if (blended_)
            BlendPixels(target_, dst.left, dst.top, w, h, source_, src.left, src.top, sw, sh, blend_);
        else if (w == sw && h == sh)
            BitBlt(target_, dst.left, dst.top, w, h, source_, src.left, src.top, SRCCOPY);
        else
            StretchBlt(target_, dst.left, dst.top, w, h, source_, src.left, src.top, sw, sh, SRCCOPY);
    }

    // The centre part: stretched, or repeated along the tiled directions with
    // the last tile and its source cut by the same amount.
    void DrawCentre(const RECT& dst, const RECT& src, bool xtiled, bool ytiled) const {
        int sw = src.right - src.left, sh = src.bottom - src.top;
        if (IsEmptyRect(dst) || sw <= 0 || sh <= 0) return;
        RECT visible;
        if (!IntersectRect(&visible, &dst, &paint_)) return;
        if (!xtiled && !ytiled) {
            Draw(dst, src);
            return;
        }
        // Tiles before the visible area are stepped over, not drawn.
        int stepX = xtiled ? sw : dst.right - dst.left;
        int stepY = ytiled ? sh : dst.bottom - dst.top;
        int firstX = dst.left + (xtiled ? (visible.left - dst.left) / stepX * stepX : 0);
        int firstY = dst.top + (ytiled ? (visible.top - dst.top) / stepY * stepY : 0);
        for (int y = firstY; y < visible.bottom; y += stepY) {
            RECT tile = {0, y, 0, ytiled ? std::min<LONG>(y + sh, dst.bottom) : dst.bottom};
            RECT part = {0, src.top, 0, ytiled ? src.top + (tile.bottom - tile.top) : src.bottom};
            for (int x = firstX; x < visible.right; x += stepX) {
                tile.left = x;
                tile.right = xtiled ? std::min<LONG>(x + sw, dst.right) : dst.right;
                part.left = src.left;
                part.right = xtiled ? src.left + (tile.right - tile.left) : src.right;
                Draw(tile, part);
            }
        }
    }

private:
    HDC target_;
    HDC source_;
    RECT paint_;
    bool blended_;
    BLENDFUNCTION blend_;
};

// The settings of an image description; they carry over from one image to
// the next and from the description to its modifier.
struct ImageSettings {
    std::wstring name;
    std::wstring type;
    RECT dest;
    RECT source = {0, 0, 0, 0};
    RECT corner = {0, 0, 0, 0};
    DWORD mask = 0;
    BYTE fade = 255;
    bool hole = false;
    bool xtiled = false;
    bool ytiled = false;
};

// Four decimals, each followed by one separator; missing ones read as 0.
RECT ReadRect(const std::wstring& value) {
    long parts[4] = {0, 0, 0, 0};
    const wchar_t* p = value.c_str();
    for (long& part : parts) {
        if (!*p) break;
        wchar_t* end = nullptr;
        part = wcstol(p, &end, 10);
        p = end;
        if (*p) ++p;
    }
    return RECT{parts[0], parts[1], parts[2], parts[3]};
}

bool IsBlankOrControl(wchar_t ch) { return ch > 0 && ch <= 32; }

// Reads key='value' pairs into the settings. `onImage` is called with the
// settings in force whenever a new image starts after one was counted.
// Returns false when the text holds no pair at all (a bare image name).
template <typename OnImage>
bool ReadDescription(const wchar_t* text, const RECT& item, ImageSettings& s, OnImage onImage) {
    const wchar_t* p = text;
    int counted = 0;
    bool anyPair = false;
    while (*p) {
        while (IsBlankOrControl(*p)) ++p;
        const wchar_t* keyStart = p;
        while (*p && *p != L'=' && !(*p > 0 && *p <= 32)) ++p;
        std::wstring key(keyStart, p);
        while (IsBlankOrControl(*p)) ++p;
        if (*p != L'=') break;
        ++p;
        while (IsBlankOrControl(*p)) ++p;
        if (*p != L'\'') break;
        const wchar_t* valueStart = ++p;
        while (*p && *p != L'\'') ++p;
        if (*p != L'\'') break;
        std::wstring value(valueStart, p);
        ++p;
        anyPair = true;

        if (!value.empty()) {
            bool startsImage = key == L"file" || key == L"restype" || key == L"res";
            if (startsImage && counted > 0) onImage(s);
            if (key == L"file" || key == L"res") {
                s.name = value;
            } else if (key == L"restype") {
                s.type = value;
            } else if (key == L"dest") {
                RECT rc = ReadRect(value);
                s.dest = RECT{item.left + rc.left, item.top + rc.top, std::min(item.left + rc.right, item.right),
                              std::min(item.top + rc.bottom, item.bottom)};
            } else if (key == L"source") {
                s.source = ReadRect(value);
            } else if (key == L"corner") {
                s.corner = ReadRect(value);
            } else if (key == L"mask") {
                const wchar_t* digits = value.c_str() + (value[0] == L'#' ? 1 : 0);
                s.mask = static_cast<DWORD>(wcstoul(digits, nullptr, 16));
            } else if (key == L"fade") {
                s.fade = static_cast<BYTE>(_wtoi(value.c_str()));
            } else if (key == L"hole") {
                s.hole = value == L"true";
            } else if (key == L"xtiled") {
                s.xtiled = value == L"true";
            } else if (key == L"ytiled") {
                s.ytiled = value == L"true";
            }
            if (key == L"file" || key == L"restype") ++counted;
        }
        // Pairs are separated by exactly one blank followed by more text.
        if (p[0] != L' ' || p[1] == 0) break;
        ++p;
    }
    return anyPair;
}

}  // namespace

HBITMAP CreateBgraDib(HDC dc, int width, int height, void** bits) {
    *bits = nullptr;
    if (width <= 0 || height <= 0) return nullptr;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    HBITMAP bitmap = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, bits, nullptr, 0);
    if (bitmap && !*bits) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

BOOL BlendPixels(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
                 BLENDFUNCTION blend) {
    if (AlphaBlendFn fn = SystemAlphaBlend()) return fn(dst, x, y, width, height, src, sx, sy, sw, sh, blend);
    return CRenderEngine::AlphaBlendSoftware(dst, x, y, width, height, src, sx, sy, sw, sh, blend);
}

bool ReadImageNameAndType(const wchar_t* description, std::wstring& name, std::wstring& type) {
    ImageSettings s;
    s.dest = RECT{0, 0, 0, 0};
    if (!ReadDescription(description, s.dest, s, [](const ImageSettings&) {})) return false;
    name = s.name;
    type = s.type;
    return true;
}

TImageInfo* CRenderEngine::LoadImage(const wchar_t* name, const wchar_t* type, DWORD mask) {
    if (!name || !*name) return nullptr;
    std::vector<BYTE> bytes;
    if (!ReadImageBytes(name, type, bytes)) return nullptr;
    return DecodeImage(bytes, mask);
}

void CRenderEngine::FreeImage(TImageInfo* image) {
    if (!image) return;
    if (image->hBitmap) DeleteObject(image->hBitmap);
    delete image;
}

void CRenderEngine::DrawImage(HDC hDC, HBITMAP hBitmap, const RECT& rc, const RECT& rcPaint, const RECT& rcBmpPart,
                              const RECT& rcCorners, bool alphaChannel, BYTE fade, bool hole, bool xtiled,
                              bool ytiled) {
    if (!hDC || !hBitmap) return;
    HDC memory = CreateCompatibleDC(hDC);
    if (!memory) return;
    HGDIOBJ oldBitmap = SelectObject(memory, hBitmap);
    int oldStretch = SetStretchBltMode(hDC, HALFTONE);

    const RECT& c = rcCorners;
    const RECT& s = rcBmpPart;
    bool blended = alphaChannel || fade < 255;
    PieceDrawer pieces(hDC, memory, rcPaint, blended, fade);
    bool noCorners = c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0;
    if (!blended && noCorners && rc.right - rc.left == s.right - s.left && rc.bottom - rc.top == s.bottom - s.top) {
        RECT visible;
        if (IntersectRect(&visible, &rc, &rcPaint)) {
            BitBlt(hDC, visible.left, visible.top, visible.right - visible.left, visible.bottom - visible.top, memory,
                   s.left + visible.left - rc.left, s.top + visible.top - rc.top, SRCCOPY);
        }
    } else {
        if (!hole) {
            RECT dst = {rc.left + c.left, rc.top + c.top, rc.right - c.right, rc.bottom - c.bottom};
            RECT src = {s.left + c.left, s.top + c.top, s.right - c.right, s.bottom - c.bottom};
            pieces.DrawCentre(dst, src, xtiled, ytiled);
        }
        struct Piece {
            bool shown;
            RECT dst;
            RECT src;
        };
        const Piece border[] = {
            {c.left > 0 && c.top > 0,
             {rc.left, rc.top, rc.left + c.left, rc.top + c.top},
             {s.left, s.top, s.left + c.left, s.top + c.top}},
            {c.top > 0,
             {rc.left + c.left, rc.top, rc.right - c.right, rc.top + c.top},
             {s.left + c.left, s.top, s.right - c.right, s.top + c.top}},
            {c.right > 0 && c.top > 0,
             {rc.right - c.right, rc.top, rc.right, rc.top + c.top},
             {s.right - c.right, s.top, s.right, s.top + c.top}},
            {c.left > 0,
             {rc.left, rc.top + c.top, rc.left + c.left, rc.bottom - c.bottom},
             {s.left, s.top + c.top, s.left + c.left, s.bottom - c.bottom}},
            {c.right > 0,
             {rc.right - c.right, rc.top + c.top, rc.right, rc.bottom - c.bottom},
             {s.right - c.right, s.top + c.top, s.right, s.bottom - c.bottom}},
            {c.left > 0 && c.bottom > 0,
             {rc.left, rc.bottom - c.bottom, rc.left + c.left, rc.bottom},
             {s.left, s.bottom - c.bottom, s.left + c.left, s.bottom}},
            {c.bottom > 0,
             {rc.left + c.left, rc.bottom - c.bottom, rc.right - c.right, rc.bottom},
             {s.left + c.left, s.bottom - c.bottom, s.right - c.right, s.bottom}},
            {c.right > 0 && c.bottom > 0,
             {rc.right - c.right, rc.bottom - c.bottom, rc.right, rc.bottom},
             {s.right - c.right, s.bottom - c.bottom, s.right, s.bottom}},
        };
        for (const Piece& piece : border)
            if (piece.shown) pieces.Draw(piece.dst, piece.src);
    }

    SetStretchBltMode(hDC, oldStretch);
    SelectObject(memory, oldBitmap);
    DeleteDC(memory);
}

bool CRenderEngine::DrawDescribedImage(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                                       const wchar_t* name, const wchar_t* type, RECT dest, RECT source, RECT corner,
                                       DWORD mask, BYTE fade, bool hole, bool xtiled, bool ytiled,
                                       bool fadeOverride) {
    if (!name || !*name || !manager) return false;
    TImageInfo* image = manager->GetImageEx(name, type && *type ? type : nullptr, mask);
    if (!image || !image->hBitmap) return false;
    if (source.left == 0 && source.top == 0 && source.right == 0 && source.bottom == 0)
        source = RECT{0, 0, image->nX, image->nY};
    source.right = std::min<LONG>(source.right, image->nX);
    source.bottom = std::min<LONG>(source.bottom, image->nY);
    RECT visible;
    if (!IntersectRect(&visible, &dest, &rcItem) || !IntersectRect(&visible, &dest, &rcPaint)) return true;
    bool alpha = fadeOverride ? image->alphaChannel : true;
    DrawImage(hDC, image->hBitmap, dest, rcPaint, source, corner, alpha, fade, hole, xtiled, ytiled);
    return true;
}

bool CRenderEngine::DrawImageString(HDC hDC, CPaintManagerUI* manager, const RECT& rcItem, const RECT& rcPaint,
                                    const wchar_t* image, const wchar_t* modify, bool fadeOverride, BYTE fade) {
    if (!hDC || !manager) return false;
    ImageSettings s;
    s.dest = rcItem;
    auto draw = [&](const ImageSettings& at) {
        DrawDescribedImage(hDC, manager, rcItem, rcPaint, at.name.c_str(), at.type.c_str(), at.dest, at.source,
                           at.corner, at.mask, fadeOverride ? fade : at.fade, at.hole, at.xtiled, at.ytiled,
                           fadeOverride);
    };
    for (const wchar_t* text : {image, modify}) {
        if (!text || !*text) continue;
        if (!ReadDescription(text, rcItem, s, draw)) s.name = text;
    }
    draw(s);
    return true;
}

BOOL CRenderEngine::AlphaBlendSoftware(HDC hDC, int x, int y, int width, int height, HDC hSrc, int sx, int sy,
                                       int sw, int sh, BLENDFUNCTION blend) {
    if (width <= 0 || height <= 0 || sw <= 0 || sh <= 0) return TRUE;
    void* srcBits = nullptr;
    void* dstBits = nullptr;
    HDC srcDC = CreateCompatibleDC(hDC);
    HDC dstDC = CreateCompatibleDC(hDC);
    HBITMAP srcBmp = CreateBgraDib(hDC, width, height, &srcBits);
    HBITMAP dstBmp = CreateBgraDib(hDC, width, height, &dstBits);
    BOOL ok = srcDC && dstDC && srcBmp && dstBmp;
    if (ok) {
        HGDIOBJ oldSrc = SelectObject(srcDC, srcBmp);
        HGDIOBJ oldDst = SelectObject(dstDC, dstBmp);
        SetStretchBltMode(srcDC, COLORONCOLOR);
        StretchBlt(srcDC, 0, 0, width, height, hSrc, sx, sy, sw, sh, SRCCOPY);
        BitBlt(dstDC, 0, 0, width, height, hDC, x, y, SRCCOPY);
        GdiFlush();
        const BYTE constant = blend.SourceConstantAlpha;
        const bool perPixel = (blend.AlphaFormat & AC_SRC_ALPHA) != 0;
        BYTE* s = static_cast<BYTE*>(srcBits);
        BYTE* d = static_cast<BYTE*>(dstBits);
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        // Source over destination with premultiplied source colours: the
        // source (scaled by the constant alpha) is added to the destination
        // scaled by what the source leaves uncovered.
        for (size_t i = 0; i < count; ++i, s += 4, d += 4) {
            unsigned srcAlpha = perPixel ? s[3] : 255;
            unsigned a = srcAlpha * constant / 255;
            for (int c = 0; c < 3; ++c) {
                unsigned value = s[c] * constant / 255 + d[c] * (255 - a) / 255;
                d[c] = static_cast<BYTE>(std::min(value, 255u));
            }
            d[3] = static_cast<BYTE>(std::min(a + d[3] * (255 - a) / 255, 255u));
        }
        ok = BitBlt(hDC, x, y, width, height, dstDC, 0, 0, SRCCOPY);
        SelectObject(srcDC, oldSrc);
        SelectObject(dstDC, oldDst);
    }
    if (srcBmp) DeleteObject(srcBmp);
    if (dstBmp) DeleteObject(dstBmp);
    if (srcDC) DeleteDC(srcDC);
    if (dstDC) DeleteDC(dstDC);
    return ok;
}

}  // namespace UiLib
