#include "core/effects/EffectJob.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace UiLib {

namespace {
const float kPi = 3.14159265358979f;
const float kRhw = 1.0f / 109.0f;
}  // namespace

tagEffectJob::tagEffectJob(DWORD duration, COLORREF background, COLORREF key, const RECT& rect, int offsetX,
                           int offsetY, int zoom, int alpha, float rotation)
    : dwDuration(duration), clrBack(background), dwKey(key), rcFrom(rect), iOffsetX(offsetX), iOffsetY(offsetY),
      iZoom(zoom), iAlpha(alpha), fRotation(rotation) {}

int EffectTileSize(int width) {
    if (width < 32) return 32;
    if (width < 64) return 64;
    return 128;
}

std::vector<EffectTile> CutIntoTiles(const RECT& rect, int tileSize) {
    std::vector<EffectTile> tiles;
    if (tileSize <= 0 || rect.right <= rect.left || rect.bottom <= rect.top) return tiles;
    for (LONG top = rect.top; top < rect.bottom; top += tileSize) {
        for (LONG left = rect.left; left < rect.right; left += tileSize) {
            EffectTile tile;
            tile.rect = RECT{left, top, std::min<LONG>(left + tileSize, rect.right),
                             std::min<LONG>(top + tileSize, rect.bottom)};
            tile.uMax = static_cast<float>(tile.rect.right - tile.rect.left) / tileSize;
            tile.vMax = static_cast<float>(tile.rect.bottom - tile.rect.top) / tileSize;
            tiles.push_back(tile);
        }
    }
    return tiles;
}

void TileBaseVertices(const EffectTile& tile, EffectVertex out[4]) {
    const float l = tile.rect.left - 0.5f, t = tile.rect.top - 0.5f;
    const float r = tile.rect.right - 0.5f, b = tile.rect.bottom - 0.5f;
    out[0] = EffectVertex{l, t, 0.1f, kRhw, 0xFFFFFFFF, 0.0f, 0.0f};
    out[1] = EffectVertex{r, t, 0.1f, kRhw, 0xFFFFFFFF, tile.uMax, 0.0f};
    out[2] = EffectVertex{r, b, 0.1f, kRhw, 0xFFFFFFFF, tile.uMax, tile.vMax};
    out[3] = EffectVertex{l, b, 0.1f, kRhw, 0xFFFFFFFF, 0.0f, tile.vMax};
}

EffectPose EffectPoseAt(const tagEffectJob& job, DWORD time) {
    // A job without a duration is over at once: it shows the control's normal look.
    float t = 0.0f;
    if (job.dwDuration > 0) {
        const DWORD end = job.dwStart + job.dwDuration;
        const LONG left = static_cast<LONG>(end - time);
        t = std::max(0.0f, std::min(1.0f, static_cast<float>(left) / job.dwDuration));
    }
    float m = job.iEasing == 1 ? (1.0f - std::cos(kPi * t)) / 2.0f : (job.iEasing == 0 ? t : 0.0f);
    EffectPose pose;
    pose.amount = m;
    pose.dx = m * job.iOffsetX;
    pose.dy = m * job.iOffsetY;
    const float zoom = static_cast<float>(std::abs(job.iZoom));
    pose.scale = job.iZoom >= 0 ? 1.0f + zoom * m : 1.0f + zoom * (1.0f - m);
    pose.angle = m * job.fRotation;
    const float a = job.iAlpha >= 0 ? m : 1.0f - m;
    const float alpha = 255.0f - std::abs(job.iAlpha) * a;
    pose.alpha = static_cast<BYTE>(std::max(0.0f, std::min(255.0f, alpha)));
    return pose;
}

void TransformVertices(const EffectVertex base[4], const tagEffectJob& job, const EffectPose& pose,
                       EffectVertex out[4]) {
    const float cx = (job.rcFrom.left + job.rcFrom.right) / 2.0f;
    const float cy = (job.rcFrom.top + job.rcFrom.bottom) / 2.0f;
    const float c = std::cos(pose.angle), s = std::sin(pose.angle);
    const DWORD diffuse = (static_cast<DWORD>(pose.alpha) << 24) | 0x00FFFFFF;
    for (int i = 0; i < 4; ++i) {
        const float x = pose.scale * (base[i].x - cx + pose.dx);
        const float y = pose.scale * (base[i].y - cy + pose.dy);
        out[i] = base[i];
        out[i].x = cx + c * x - s * y;
        out[i].y = cy + s * x + c * y;
        out[i].diffuse = diffuse;
    }
}

}  // namespace UiLib
