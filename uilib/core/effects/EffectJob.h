// One queued control effect and the pure geometry of playing it: the tiles a
// control's rectangle is cut into and where a tile's corners stand at a
// given moment of the effect.
#pragma once
#include "core/base/UiLibApi.h"

#include <windows.h>

#include <cstddef>
#include <vector>

namespace UiLib {

struct UILIB_API tagEffectJob {
    tagEffectJob(DWORD duration, COLORREF background, COLORREF key, const RECT& rect, int offsetX, int offsetY,
                 int zoom, int alpha, float rotation);

    int iSkip = 0;         // non-zero: neither set up nor drawn
    DWORD dwStart = 0;     // timeGetTime of preparation is added to it
    DWORD dwDuration = 0;  // ms
    int iFirstTile = 0;
    int iEndTile = 0;
    COLORREF clrBack = CLR_INVALID;
    DWORD dwKey = CLR_INVALID;  // the filling colour, then the snapshot's pixel value
    RECT rcFrom = {0, 0, 0, 0};
    int iOffsetX = 0;
    int iOffsetY = 0;
    int iZoom = 0;
    int iAlpha = 0;
    float fRotation = 0.0f;
    int iEasing = 1;        // 1 cosine, 0 linear
    HWND hWnd = nullptr;    // the window whose control queued it
};
typedef tagEffectJob TEffectJob;

// The vertex layout the spooler draws: XYZRHW | DIFFUSE | TEX1.
struct EffectVertex {
    float x, y, z, rhw;
    DWORD diffuse;
    float u, v;
};
static_assert(sizeof(EffectVertex) == 28, "vertex stride");
static_assert(offsetof(EffectVertex, diffuse) == 16 && offsetof(EffectVertex, u) == 20, "vertex layout");

// Where a job stands at one moment: 1 at its start, 0 at its end.
struct EffectPose {
    float amount;   // eased progress m
    float dx, dy;   // offset
    float scale;
    float angle;
    BYTE alpha;     // vertex alpha
};

// One tile of a control: its place in the window and the part of the
// texture it covers.
struct EffectTile {
    RECT rect;      // in window coordinates, at most tileSize square
    float uMax;     // covered fraction of the texture, 0..1
    float vMax;
};

// 128, or 64 below 64 pixels of width, or 32 below 32.
int EffectTileSize(int width);
std::vector<EffectTile> CutIntoTiles(const RECT& rect, int tileSize);
// The four corners of a tile in triangle-fan order, before any movement.
void TileBaseVertices(const EffectTile& tile, EffectVertex out[4]);

EffectPose EffectPoseAt(const tagEffectJob& job, DWORD time);
// Moves, scales and turns base vertices about the centre of the job's rectangle.
void TransformVertices(const EffectVertex base[4], const tagEffectJob& job, const EffectPose& pose,
                       EffectVertex out[4]);

}  // namespace UiLib
