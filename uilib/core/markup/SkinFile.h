// Reads one skin file whole, from the skin archive when one is in use (the
// kept one, or the archive file opened for this read) or else from the
// resource folder.
#pragma once

#include <windows.h>

#include <vector>

namespace UiLib {

// Null when the bytes were read; otherwise the reason, as the markup reader
// reports it ("Error opening file", "File is empty", "File too large", ...).
const wchar_t* ReadSkinFile(const wchar_t* name, DWORD maxSize, std::vector<BYTE>& bytes);

}  // namespace UiLib
