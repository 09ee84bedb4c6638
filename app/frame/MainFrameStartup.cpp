// The frame's side of the start-up report: news buttons and recommended-app
// buttons, built from the items the worker sends.
#include <winsock2.h>

#include "MainFrame.h"

#include <cstdio>

#include "controls/UIButton.h"
#include "core/manager/UIContainer.h"
#include "util/ProcessUtil.h"
#include "win32/TextConvert.h"

using namespace UiLib;

void VOvoduReridOro::OnNews(WPARAM index, const NewsItem* item) {
    if (!item) return;
    news_.push_back(*item);
    wchar_t name[32];
    swprintf(name, 32, L"BtnNews%u", static_cast<unsigned>(index + 1));
    if (CControlUI* button = Find(name)) {
        const std::wstring title(item->title, BoundedLength(item->title, 50));
        button->SetText(title.c_str());
        button->SetToolTip(title.c_str());
    }
}

void VOvoduReridOro::OnRecommendItem(const PackageRecord* app) {
    if (!app) return;
    apps_.push_back(*app);
    CControlUI* layout = Find(L"AppRecommendTitleLayout");
    auto* list = layout ? static_cast<CContainerUI*>(layout->GetInterface(L"Container")) : nullptr;
    if (!list) return;
    const std::wstring name = AnsiToWide(std::string(app->Name, BoundedLength(app->Name, sizeof app->Name)));
    const std::wstring icon = GetModuleFolderW() + L"\\data\\AppRecIcon\\" + name + L".png";
    auto* button = new CButtonUI;
    button->SetBkImage((L"file='" + icon + L"' dest='11,10,63,62'").c_str());
    button->SetHotImage(L"UI\\ListItem_bk_hover.png");
    button->SetToolTip(name.c_str());
    button->SetName(name.c_str());
    button->SetText((name.size() < 7 ? name : name.substr(0, 4) + L"..").c_str());
    button->SetHotTextColor(0xFFFFFF);
    button->SetFixedHeight(85);
    button->SetFixedWidth(74);
    // The name goes under the icon (drawn at 10 to 62 from the top), not over it.
    button->SetTextPadding(RECT{2, 62, 2, 2});
    list->Add(button);
}
