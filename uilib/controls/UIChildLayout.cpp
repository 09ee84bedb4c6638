#include "controls/UIChildLayout.h"

#include "core/window/UIDlgBuilder.h"

#include <cwchar>

namespace UiLib {

namespace {
// Child layouts building inside one another on this thread: a file that
// names itself (directly or in a cycle) stops here, like a skin's includes.
thread_local int t_buildDepth = 0;

struct BuildDepthGuard {
    BuildDepthGuard() { ++t_buildDepth; }
    ~BuildDepthGuard() { --t_buildDepth; }
};
}  // namespace

CChildLayoutUI::~CChildLayoutUI() = default;

const wchar_t* CChildLayoutUI::GetClass() const { return L"ChildLayoutUI"; }

LPVOID CChildLayoutUI::GetInterface(const wchar_t* name) {
    if (name && std::wcscmp(name, L"ChildLayout") == 0) return static_cast<CChildLayoutUI*>(this);
    return CContainerUI::GetInterface(name);
}

void CChildLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
    if (!name || !value) return;
    if (std::wcscmp(name, L"xmlfile") == 0)
        SetChildLayoutXML(value);
    else
        CContainerUI::SetAttribute(name, value);
}

// Replaces the base Init: the content comes from the file, built without a
// manager and handed one by Add.
void CChildLayoutUI::Init() {
    if (m_pstrXMLFile.IsEmpty()) return;
    if (t_buildDepth >= CDialogBuilder::MAX_INCLUDE_DEPTH) {
        ::OutputDebugStringW(L"UiLib: child layouts nest too deep; content skipped\n");
        RemoveAll();
        return;
    }
    BuildDepthGuard guard;
    CDialogBuilder builder;
    CControlUI* content = builder.Create(STRINGorID(m_pstrXMLFile.GetData()), nullptr, nullptr, nullptr, nullptr);
    if (content)
        Add(content);
    else
        RemoveAll();
}

}  // namespace UiLib
