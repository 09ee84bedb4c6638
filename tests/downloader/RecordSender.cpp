// Sends package records to a window of another process by WM_COPYDATA, as
// the main program does: record_sender <window handle in hex> <kind>...
// Kinds: short (a 100-byte block), full (2092 bytes with an install mark
// and unterminated fields), long (4000 bytes), folder (a wide download
// folder with wParam 2). One message per kind, in order.
#include "record/PackageRecord.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Send(HWND target, const std::wstring& kind) {
    std::vector<char> block;
    WPARAM wParam = 0;
    if (kind == L"short") {
        block.assign(100, 0);
        std::strcpy(block.data(), "77");              // Id
        std::strcpy(block.data() + 12, "short one");  // Name, cut off by the block's end
    } else if (kind == L"full" || kind == L"long") {
        block.assign(kind == L"long" ? 4000 : sizeof(PackageRecord), 'A');  // no terminator anywhere
        std::memcpy(block.data() + offsetof(PackageRecord, Type), "0000r", 5);  // "r" where the mark lies
        std::memcpy(block.data() + offsetof(PackageRecord, Err), "3", 2);
    } else if (kind == L"folder") {
        std::wstring folder = L"D:\\下载\\";
        folder += std::wstring(300, L'f');
        block.resize((folder.size() + 1) * sizeof(wchar_t));
        std::memcpy(block.data(), folder.c_str(), block.size());
        wParam = kDownloadDirMessage;
    } else {
        return 2;
    }
    COPYDATASTRUCT data = {};
    data.cbData = static_cast<DWORD>(block.size());
    data.lpData = block.data();
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(target, WM_COPYDATA, wParam, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 10000,
                               &result)
               ? 0
               : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    HWND target = reinterpret_cast<HWND>(static_cast<uintptr_t>(wcstoull(argv[1], nullptr, 16)));
    for (int i = 2; i < argc; ++i)
        if (const int failed = Send(target, argv[i])) return failed;
    return 0;
}
