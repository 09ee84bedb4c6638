#include "core/effects/ShadowBitmap.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace UiLib {

namespace {

const ShadowRowSpan kEmptyRow = {INT_MAX / 2, INT_MIN / 2};

DWORD Premultiplied(DWORD color, int alpha) {
    alpha = std::max(0, std::min(alpha, 255));
    DWORD a = static_cast<DWORD>(alpha);
    DWORD b = (color & 0xFF) * a / 255;
    DWORD g = ((color >> 8) & 0xFF) * a / 255;
    DWORD r = ((color >> 16) & 0xFF) * a / 255;
    return (a << 24) | (r << 16) | (g << 8) | b;
}

// Shrinks every row to what it shares with its two neighbours, one pixel in from each side.
void Erode(std::vector<ShadowRowSpan>& rows) {
    std::vector<ShadowRowSpan> eroded(rows.size(), kEmptyRow);
    for (size_t i = 0; i < rows.size(); ++i) {
        ShadowRowSpan up = i > 0 ? rows[i - 1] : kEmptyRow;
        ShadowRowSpan down = i + 1 < rows.size() ? rows[i + 1] : kEmptyRow;
        ShadowRowSpan row = rows[i];
        ShadowRowSpan next = {std::max({up.left, row.left, down.left}) + 1,
                              std::min({up.right, row.right, down.right}) - 1};
        eroded[i] = next.IsEmpty() ? kEmptyRow : next;
    }
    rows.swap(eroded);
}

// The soft edge: (2r + 1)^2 premultiplied values around a centre pixel.
std::vector<DWORD> Kernel(const ShadowSettings& s, int radius) {
    int side = 2 * radius + 1;
    std::vector<DWORD> kernel(static_cast<size_t>(side) * side);
    double inner = std::max(0, s.size - s.sharpness);
    DWORD solid = Premultiplied(s.color, s.darkness);
    for (int dy = -radius; dy <= radius; ++dy) {
        for (int dx = -radius; dx <= radius; ++dx) {
            double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
            DWORD value = 0;
            if (d < inner)
                value = solid;
            else if (d <= radius)
                value = Premultiplied(s.color,
                                      static_cast<int>((1.0 - (d - inner) / (s.sharpness + 1)) * s.darkness));
            kernel[static_cast<size_t>(dy + radius) * side + dx + radius] = value;
        }
    }
    return kernel;
}

}  // namespace

SIZE ShadowBitmapSize(int frameWidth, int frameHeight, int size) {
    return SIZE{std::max(0, frameWidth + 2 * size), std::max(0, frameHeight + 2 * size)};
}

std::vector<ShadowRowSpan> FrameRowsFromRegion(HRGN region, int frameWidth, int frameHeight) {
    std::vector<ShadowRowSpan> rows(static_cast<size_t>(std::max(0, frameHeight)), kEmptyRow);
    for (int y = 0; y < frameHeight; ++y) {
        int first = 0;
        while (first < frameWidth && !::PtInRegion(region, first, y)) ++first;
        if (first == frameWidth) continue;
        int last = frameWidth - 1;
        while (last > first && !::PtInRegion(region, last, y)) --last;
        rows[y] = ShadowRowSpan{first, last + 1};
    }
    return rows;
}

std::vector<ShadowRowSpan> FrameRowsOfRectangle(int frameWidth, int frameHeight) {
    return std::vector<ShadowRowSpan>(static_cast<size_t>(std::max(0, frameHeight)),
                                      ShadowRowSpan{0, std::max(0, frameWidth)});
}

std::vector<DWORD> BuildShadowPixels(int frameWidth, int frameHeight, const std::vector<ShadowRowSpan>& frameRows,
                                     const ShadowSettings& s) {
    const SIZE bitmap = ShadowBitmapSize(frameWidth, frameHeight, s.size);
    const int width = bitmap.cx, height = bitmap.cy;
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height, 0);
    if (width == 0 || height == 0 || frameWidth <= 0 || frameHeight <= 0) return pixels;

    // The frame's rows moved into the shadow, shifted right and down by the size.
    std::vector<ShadowRowSpan> rows(static_cast<size_t>(height), kEmptyRow);
    for (int y = 0; y < frameHeight && y < static_cast<int>(frameRows.size()); ++y) {
        int target = y + s.size;
        if (target < 0 || target >= height || frameRows[y].IsEmpty()) continue;
        rows[target] = ShadowRowSpan{frameRows[y].left + s.size, frameRows[y].right + s.size};
    }
    for (int i = 0; i < s.sharpness - s.size; ++i) Erode(rows);

    const int radius = std::max(s.sharpness, s.size);
    const int side = 2 * radius + 1;
    const std::vector<DWORD> kernel = Kernel(s, radius);
    auto stamp = [&](int cx, int cy) {
        for (int ky = -radius; ky <= radius; ++ky) {
            int y = cy + ky;
            if (y < 0 || y >= height) continue;
            const DWORD* source = &kernel[static_cast<size_t>(ky + radius) * side];
            DWORD* line = &pixels[static_cast<size_t>(y) * width];
            int x0 = std::max(0, cx - radius), x1 = std::min(width - 1, cx + radius);
            for (int x = x0; x <= x1; ++x) line[x] = std::max(line[x], source[x - cx + radius]);
        }
    };
    // Edge pixels: the ends of a row and every pixel its neighbours do not both cover.
    for (int y = 0; y < height; ++y) {
        const ShadowRowSpan row = rows[y];
        if (row.IsEmpty()) continue;
        const ShadowRowSpan up = y > 0 ? rows[y - 1] : kEmptyRow;
        const ShadowRowSpan down = y + 1 < height ? rows[y + 1] : kEmptyRow;
        const int coveredLeft = std::max(up.left, down.left), coveredRight = std::min(up.right, down.right);
        for (int x = row.left; x < row.right; ++x) {
            bool inner = x > row.left && x < row.right - 1 && x >= coveredLeft && x < coveredRight;
            if (!inner) stamp(x, y);
        }
    }

    // The solid inside, with the frame's own place (shifted by the offsets) left clear.
    const DWORD solid = Premultiplied(s.color, s.darkness);
    const int frameX = s.size - s.offsetX, frameY = s.size - s.offsetY;
    for (int y = 0; y < height; ++y) {
        const ShadowRowSpan row = rows[y];
        DWORD* line = &pixels[static_cast<size_t>(y) * width];
        if (!row.IsEmpty()) {
            int left = std::max(0, row.left), right = std::min(width, row.right);
            for (int x = left; x < right; ++x) line[x] = solid;
        }
        // The frame covers its place: nothing of the shadow is left under it.
        int frameRow = y - frameY;
        if (frameRow < 0 || frameRow >= frameHeight || frameRow >= static_cast<int>(frameRows.size())) continue;
        const ShadowRowSpan hole = frameRows[frameRow];
        if (hole.IsEmpty()) continue;
        int holeLeft = std::max(0, hole.left + frameX), holeRight = std::min(width, hole.right + frameX);
        for (int x = holeLeft; x < holeRight; ++x) line[x] = 0;
    }
    return pixels;
}

}  // namespace UiLib
