#include "RecommendedAppButton.h"

using namespace UiLib;

namespace {

constexpr int kWidth = 74;
constexpr int kHeight = 85;

}  // namespace

std::wstring ShortAppName(const std::wstring& name) {
    return name.size() < 7 ? name : name.substr(0, 4) + L"..";
}

CRecommendedAppButton::CRecommendedAppButton(const std::wstring& name, const std::wstring& iconFile) {
    SetBkImage((L"file='" + iconFile + L"' dest='11,10,63,62'").c_str());
    SetHotImage(L"UI\\ListItem_bk_hover.png");
    SetToolTip(name.c_str());
    SetName(name.c_str());
    // The width follows the name, never narrower than the icon's cell.
    SetAutoCalcWidth(true);
    SetText(ShortAppName(name).c_str());
    SetHotTextColor(0xFFFFFF);
    SetFixedHeight(kHeight);
    SetFixedWidth(kWidth);
    SetMinWidth(kWidth);
    // The name goes under the icon (drawn at 10 to 62 from the top), not over it.
    SetTextPadding(RECT{2, 62, 2, 2});
}

void CRecommendedAppButton::DoEvent(TEventUI& event) {
    if (event.Type == UIEVENT_MOUSEENTER) SetText(L"");
    else if (event.Type == UIEVENT_MOUSELEAVE) SetText(ShortAppName(GetToolTip().GetData()).c_str());
    CButtonUI::DoEvent(event);
}
