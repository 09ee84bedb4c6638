// CDateTimeUI: a label showing a date as "YYYY-MM-DD" that, when clicked or
// focused, lays the system date picker exactly over itself; the date chosen
// there is written back as the text when the picker loses the focus.
#pragma once
#include "controls/UILabel.h"

namespace UiLib {

class CDateTimeWnd;

class UILIB_API CDateTimeUI : public CLabelUI {
    friend class CDateTimeWnd;

public:
    // What the picker does with the text when it closes.
    enum UpdateMode { UPDATE_NONE = 0, UPDATE_DATE = 1, UPDATE_DELETE = 2, UPDATE_KEEP = 3 };

    CDateTimeUI();
    ~CDateTimeUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void DoEvent(TEventUI& event) override;

    SYSTEMTIME& GetTime() { return m_sysTime; }
    // Takes a date and shows it as the text.
    void SetTime(const SYSTEMTIME* time);
    void UpdateText();
    // The open picker window, or null.
    HWND GetPickerWindow() const;

private:
    void OpenPicker();

    SYSTEMTIME m_sysTime = {};
    int m_nDTUpdateFlag = UPDATE_DATE;
    CDateTimeWnd* m_pWindow = nullptr;
};

}  // namespace UiLib
