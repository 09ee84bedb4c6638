// A recommended app's button on the recommendation page: the app's icon with
// its short name; the name gives way to the hover picture while the mouse is
// over the button and comes back when it leaves.
#pragma once

#include <string>

#include "controls/UIButton.h"

// The name as the button shows it: whole when shorter than 7 characters,
// else its first 4 followed by "..".
std::wstring ShortAppName(const std::wstring& name);

class CRecommendedAppButton : public UiLib::CButtonUI {
public:
    // Named and tooltipped with the app's name (the frame finds the app's
    // record by it); the icon file is drawn into the button's upper part.
    CRecommendedAppButton(const std::wstring& name, const std::wstring& iconFile);

    void DoEvent(UiLib::TEventUI& event) override;
};
