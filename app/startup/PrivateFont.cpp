#include "PrivateFont.h"

#include "win32/ScopedHandle.h"

PrivateFont::PrivateFont(const std::wstring& file) {
    ScopedHandle in(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size = {};
    if (!in || !GetFileSizeEx(in.Get(), &size) || size.QuadPart <= 0 || size.QuadPart > (64 << 20)) return;
    bytes_.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!ReadFile(in.Get(), bytes_.data(), static_cast<DWORD>(bytes_.size()), &got, nullptr) || got != bytes_.size())
        return;
    DWORD fonts = 0;
    handle_ = AddFontMemResourceEx(bytes_.data(), got, nullptr, &fonts);
}

PrivateFont::~PrivateFont() {
    if (handle_) RemoveFontMemResourceEx(handle_);
}
