#include "core/markup/UiResources.h"

#include "core/base/UiString.h"

namespace UiLib {

namespace {
struct ResourceState {
    CUiString path;
    CUiString zipName;
    bool keepOpen = false;
    HZIP zip = nullptr;

    void CloseZip() {
        if (zip) CloseZipArchive(zip);
        zip = nullptr;
    }
    ~ResourceState() { CloseZip(); }
};

ResourceState& State() {
    static ResourceState state;
    return state;
}

const wchar_t kMemoryZipName[] = L"membuffer";
}  // namespace

const wchar_t* UiResources::ResourcePath() { return State().path; }

void UiResources::SetResourcePath(const wchar_t* path) {
    CUiString& stored = State().path;
    stored = path;
    if (stored.IsEmpty()) return;
    wchar_t last = stored[stored.GetLength() - 1];
    if (last != L'\\' && last != L'/') stored += L'\\';
}

const wchar_t* UiResources::ResourceZipName() { return State().zipName; }
bool UiResources::IsZipKeptOpen() { return State().keepOpen; }
HZIP UiResources::KeptZip() { return State().zip; }

void UiResources::SetResourceZip(const wchar_t* name, bool keepOpen) {
    ResourceState& s = State();
    if (s.zipName == (name ? name : L"") && s.keepOpen == keepOpen) return;
    s.CloseZip();
    s.zipName = name;
    s.keepOpen = keepOpen;
    if (keepOpen) {
        CUiString file = s.path + s.zipName;
        s.zip = OpenZipArchive(ZIP_FILENAME, file.GetData(), 0);
    }
}

void UiResources::SetResourceZipBuffer(const void* bytes, DWORD length) {
    ResourceState& s = State();
    if (s.zipName == kMemoryZipName) return;
    s.CloseZip();
    s.zipName = kMemoryZipName;
    s.keepOpen = true;
    s.zip = OpenZipArchive(ZIP_MEMORY, bytes, length);
}

bool UiResources::LoadModuleResource(HINSTANCE instance, const wchar_t* id, const wchar_t* type, const BYTE*& bytes,
                                     DWORD& size) {
    bytes = nullptr;
    size = 0;
    if (!instance) instance = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(instance, id, type);
    HGLOBAL loaded = resource ? ::LoadResource(instance, resource) : nullptr;
    const BYTE* locked = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    DWORD length = resource ? ::SizeofResource(instance, resource) : 0;
    if (!locked || length == 0) return false;
    bytes = locked;
    size = length;
    return true;
}

}  // namespace UiLib
