// Helpers shared by the render engine's source files.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace UiLib {

// The one blend the engine draws with: msimg32's AlphaBlend when the process
// has it, the engine's software blend otherwise.
BOOL BlendPixels(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy, int sw, int sh,
                 BLENDFUNCTION blend);

// A top-down 32-bit DIB section of width x height pixels (BGRA bytes); null
// when it cannot be made. `bits` receives the pixel memory.
HBITMAP CreateBgraDib(HDC dc, int width, int height, void** bits);

// The image name and resource type an image description ends up naming;
// false when the text holds no key and value pair.
bool ReadImageNameAndType(const wchar_t* description, std::wstring& name, std::wstring& type);

// Bytes of an image file: a numbered resource of a type, else the skin zip or
// the resource folder, and as a last try the name as a plain path.
bool ReadImageBytes(const wchar_t* name, const wchar_t* type, std::vector<BYTE>& bytes);

}  // namespace UiLib
