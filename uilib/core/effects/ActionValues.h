// Frame arithmetic of property actions as pure functions: how many frames a
// run has, and the value of an integer, colour, rectangle or size at frame n
// of N. Each byte of a colour and each side of a rectangle moves towards its
// own end value, so a mixed animation never wraps a byte.
#pragma once
#include "core/base/UiString.h"

#include <windows.h>

namespace UiLib {
namespace ActionValues {

// Frames of a run of `total` ms at `interval` ms a frame; an interval of 0
// (or a run shorter than one frame) is a single frame.
int FrameCount(int total, int interval);
// The frame reached after `elapsed` ms; with an interval of 0 the last one.
int FrameAt(int elapsed, int interval, int frames);

INT32 StepInt(INT32 start, INT32 end, int frame, int frames);
DWORD StepColor(DWORD start, DWORD end, int frame, int frames);
RECT StepRect(const RECT& start, const RECT& end, int frame, int frames);
SIZE StepSize(SIZE start, SIZE end, int frame, int frames);

// "l,t,r,b" and "n" read as decimal numbers; missing numbers read as 0.
RECT ParseRect(const wchar_t* text);
INT32 ParseInt(const wchar_t* text);

// Splits an image description around the value that follows `key` (for
// example "source='"): the prefix ends with the key, the value runs to the
// next "'", the suffix starts there. False when the key or the closing
// quote is missing; the string is then left alone.
bool SplitImageValue(const wchar_t* image, const wchar_t* key, CUiString& prefix, CUiString& value,
                     CUiString& suffix);

}  // namespace ActionValues
}  // namespace UiLib
