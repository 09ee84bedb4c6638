// The update dialog's change list: one row per change, each with a mark that
// turns into a tick, one row every 200 ms, once the update runs.
#pragma once

#include "controls/UIList.h"

class CInfoListUI : public UiLib::CListUI {
public:
    void UILIB_THISCALL DoEvent(UiLib::TEventUI& event) override;

    // Adds a row: the change's text and its (hidden) mark.
    void AddChange(const wchar_t* text);
    // Shows every mark and starts ticking them off; once only.
    void StartTicking();

    int TickedRows() const { return ticked_; }

    static constexpr UINT kTickTimer = 1000;
    static constexpr UINT kTickPeriodMs = 200;
    static constexpr int kRowHeight = 36;

private:
    UiLib::CControlUI* MarkOfRow(int row);

    bool started_ = false;
    int ticked_ = 0;  // rows ticked so far: the next one to tick
};
