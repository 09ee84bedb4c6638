// What the main frame keeps of the phone data summary: the popup while it is
// open, the clicks on its button and the last counts the phone reported.
#pragma once

#include <windows.h>

#include "phonelink/PhoneCounts.h"

class PhoneMsg;

struct FrameSummary {
    HWND popup = nullptr;        // the summary window; its object lives while the window does
    PhoneMsg* window = nullptr;  // deletes itself when its window goes
    int clicks = 0;              // clicks on "BtnPhoneMsg" while the popup exists
    PhoneCounts counts{0, 0, 0};  // what the phone's counts replies said
    bool haveCounts = false;

    PhoneMsg* Open() const { return IsWindow(popup) ? window : nullptr; }
};
