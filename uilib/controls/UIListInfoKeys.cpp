#include "controls/UIListInfoKeys.h"

#include "core/manager/UIAttributeValue.h"

#include <cwchar>

namespace UiLib {

bool SetListInfoColorOrImage(TListInfoUI& info, const wchar_t* name, const wchar_t* value) {
    struct ColourKey {
        const wchar_t* key;
        DWORD TListInfoUI::*field;
    };
    static const ColourKey kColours[] = {
        {L"itemtextcolor", &TListInfoUI::dwTextColor},
        {L"itembkcolor", &TListInfoUI::dwBkColor},
        {L"itemselectedtextcolor", &TListInfoUI::dwSelectedTextColor},
        {L"itemselectedbkcolor", &TListInfoUI::dwSelectedBkColor},
        {L"itemhottextcolor", &TListInfoUI::dwHotTextColor},
        {L"itemhotbkcolor", &TListInfoUI::dwHotBkColor},
        {L"itemdisabledtextcolor", &TListInfoUI::dwDisabledTextColor},
        {L"itemdisabledbkcolor", &TListInfoUI::dwDisabledBkColor},
        {L"itemlinecolor", &TListInfoUI::dwLineColor},
    };
    struct ImageKey {
        const wchar_t* key;
        CUiString TListInfoUI::*field;
    };
    static const ImageKey kImages[] = {
        {L"itembkimage", &TListInfoUI::sBkImage},
        {L"itemselectedimage", &TListInfoUI::sSelectedImage},
        {L"itemhotimage", &TListInfoUI::sHotImage},
        {L"itemdisabledimage", &TListInfoUI::sDisabledImage},
    };
    for (const ColourKey& entry : kColours) {
        if (std::wcscmp(name, entry.key) != 0) continue;
        info.*entry.field = ParseColorValue(value);
        return true;
    }
    for (const ImageKey& entry : kImages) {
        if (std::wcscmp(name, entry.key) != 0) continue;
        info.*entry.field = value;
        return true;
    }
    return false;
}

void SetListInfoAlign(TListInfoUI& info, const wchar_t* value) {
    if (std::wcsstr(value, L"left")) info.uTextStyle &= ~(DT_CENTER | DT_RIGHT);
    if (std::wcsstr(value, L"center")) info.uTextStyle = (info.uTextStyle & ~DT_RIGHT) | DT_CENTER;
    if (std::wcsstr(value, L"right")) info.uTextStyle = (info.uTextStyle & ~DT_CENTER) | DT_RIGHT;
}

}  // namespace UiLib
