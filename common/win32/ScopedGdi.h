// GDI resources freed once: objects (bitmaps, brushes, pens, fonts, regions),
// memory DCs, and the selection of an object into a DC undone on leaving.
#pragma once

#include <windows.h>

#include "win32/ScopedHandle.h"

template <typename Object>
struct GdiObjectTraits {
    using Type = Object;
    static bool IsValid(Object object) { return object != nullptr; }
    static void Free(Object object) { DeleteObject(object); }
};
template <typename Object>
using ScopedGdiObject = UniqueHandle<GdiObjectTraits<Object>>;
using ScopedBitmap = ScopedGdiObject<HBITMAP>;
using ScopedBrush = ScopedGdiObject<HBRUSH>;
using ScopedPen = ScopedGdiObject<HPEN>;
using ScopedRegion = ScopedGdiObject<HRGN>;

// A DC made by CreateCompatibleDC, freed with DeleteDC.
struct MemoryDcTraits {
    using Type = HDC;
    static bool IsValid(HDC dc) { return dc != nullptr; }
    static void Free(HDC dc) { DeleteDC(dc); }
};
class ScopedMemoryDC : public UniqueHandle<MemoryDcTraits> {
public:
    explicit ScopedMemoryDC(HDC compatibleWith) : UniqueHandle(CreateCompatibleDC(compatibleWith)) {}
};

// Selects an object into a DC and puts the earlier one back on leaving, so
// the object can be deleted after the guard (declare the guard after it).
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    ~SelectGuard() {
        if (old_) SelectObject(dc_, old_);
    }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};
