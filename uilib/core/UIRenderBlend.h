// The one blend the render engine draws with: msimg32's AlphaBlend when the
// process has it, the engine's software blend otherwise.
#pragma once
#include <windows.h>

namespace UiLib {

BOOL BlendPixels(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
                 BLENDFUNCTION blend);

}  // namespace UiLib
