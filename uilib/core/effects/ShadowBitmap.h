// The generated drop shadow as a pure function: from the frame's size, the
// rows of its window region and the shadow settings to premultiplied BGRA
// pixels, so the shape can be checked without a compositor.
#pragma once
#include <windows.h>

#include <vector>

namespace UiLib {

// One row of a shape: pixels [left, right); empty when left >= right.
struct ShadowRowSpan {
    int left;
    int right;
    bool IsEmpty() const { return left >= right; }
};

struct ShadowSettings {
    int size = 0;       // how far the shadow reaches beyond the frame
    int sharpness = 5;  // width of the soft edge
    int darkness = 150; // alpha of the solid part
    int offsetX = 0;
    int offsetY = 0;
    DWORD color = 0;    // ARGB; the alpha byte is ignored
};

// Width and height of the shadow bitmap for a frame (never negative).
SIZE ShadowBitmapSize(int frameWidth, int frameHeight, int size);

// The first and last pixel inside `region` on each of the frame's rows.
std::vector<ShadowRowSpan> FrameRowsFromRegion(HRGN region, int frameWidth, int frameHeight);
// Every row of a plain rectangular frame.
std::vector<ShadowRowSpan> FrameRowsOfRectangle(int frameWidth, int frameHeight);

// Premultiplied BGRA pixels of the shadow, rows top-down, of the size that
// ShadowBitmapSize gives. `frameRows` holds one span per frame row.
std::vector<DWORD> BuildShadowPixels(int frameWidth, int frameHeight, const std::vector<ShadowRowSpan>& frameRows,
                                     const ShadowSettings& settings);

}  // namespace UiLib
