#include "MyphoneUI.h"

#include "core/window/UIDlgBuilder.h"

using namespace UiLib;

CMyphoneUI::CMyphoneUI(CPaintManagerUI* manager) {
    CDialogBuilder builder;
    CControlUI* content = builder.Create(L"MyCellphone.xml", nullptr, nullptr, manager, nullptr);
    if (content) Add(content);
    else RemoveAll();  // a missing or broken skin file leaves an empty panel
}

CControlUI* CMyphoneUI::CreateControl(const wchar_t* className) {
    if (className && wcscmp(className, L"GifAnim") == 0) return CDialogBuilder::CreateKnownControl(L"GifAnim");
    return nullptr;
}

int CMyphoneUI::CompareWindowInit(TNotifyUI& msg) { return _wcsicmp(msg.sType.GetData(), L"windowinit"); }
