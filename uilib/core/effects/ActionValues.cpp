#include "core/effects/ActionValues.h"

#include <cstdlib>
#include <cwchar>

namespace UiLib {
namespace ActionValues {

namespace {

// n * (delta / N) towards the end, with the end itself at the last frame.
INT64 Step(INT64 start, INT64 end, int frame, int frames) {
    if (frame <= 0) return start;
    if (frame >= frames) return end;
    INT64 delta = end > start ? end - start : start - end;
    INT64 step = frame * (delta / frames);
    return start < end ? start + step : start - step;
}

}  // namespace

int FrameCount(int total, int interval) {
    if (interval <= 0) return 1;
    int frames = total / interval;
    return frames > 0 ? frames : 1;
}

int FrameAt(int elapsed, int interval, int frames) {
    if (interval <= 0) return frames;
    return elapsed / interval;
}

INT32 StepInt(INT32 start, INT32 end, int frame, int frames) {
    return static_cast<INT32>(Step(start, end, frame, frames));
}

DWORD StepColor(DWORD start, DWORD end, int frame, int frames) {
    DWORD result = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        INT64 a = (start >> shift) & 0xFF, b = (end >> shift) & 0xFF;
        result |= (static_cast<DWORD>(Step(a, b, frame, frames)) & 0xFF) << shift;
    }
    return result;
}

RECT StepRect(const RECT& start, const RECT& end, int frame, int frames) {
    return RECT{static_cast<LONG>(Step(start.left, end.left, frame, frames)),
                static_cast<LONG>(Step(start.top, end.top, frame, frames)),
                static_cast<LONG>(Step(start.right, end.right, frame, frames)),
                static_cast<LONG>(Step(start.bottom, end.bottom, frame, frames))};
}

SIZE StepSize(SIZE start, SIZE end, int frame, int frames) {
    return SIZE{static_cast<LONG>(Step(start.cx, end.cx, frame, frames)),
                static_cast<LONG>(Step(start.cy, end.cy, frame, frames))};
}

RECT ParseRect(const wchar_t* text) {
    LONG values[4] = {};
    const wchar_t* cursor = text ? text : L"";
    for (LONG& value : values) {
        if (!*cursor) break;
        wchar_t* end = nullptr;
        value = std::wcstol(cursor, &end, 10);
        cursor = end;
        if (*cursor) ++cursor;  // the separator
    }
    return RECT{values[0], values[1], values[2], values[3]};
}

INT32 ParseInt(const wchar_t* text) { return text ? static_cast<INT32>(std::wcstol(text, nullptr, 10)) : 0; }

bool SplitImageValue(const wchar_t* image, const wchar_t* key, CUiString& prefix, CUiString& value,
                     CUiString& suffix) {
    if (!image || !key || !*key) return false;
    const wchar_t* found = std::wcsstr(image, key);
    if (!found) return false;
    const wchar_t* valueStart = found + std::wcslen(key);
    const wchar_t* quote = std::wcschr(valueStart, L'\'');
    if (!quote) return false;
    prefix.Assign(image, static_cast<int>(valueStart - image));
    value.Assign(valueStart, static_cast<int>(quote - valueStart));
    suffix = quote;
    return true;
}

}  // namespace ActionValues
}  // namespace UiLib
