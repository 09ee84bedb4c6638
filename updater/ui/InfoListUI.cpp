#include "ui/InfoListUI.h"

#include "controls/UIButton.h"
#include "controls/UIListContainerElement.h"
#include "core/manager/UIManager.h"

using namespace UiLib;

void CInfoListUI::AddChange(const wchar_t* text) {
    auto* row = new CListContainerElementUI;
    row->SetFixedHeight(kRowHeight);
    auto* line = new CButtonUI;
    line->SetPadding(RECT{4, 0, 0, 0});
    line->SetFixedWidth(508);
    line->SetFont(2);
    line->SetTextColor(0xFF333333);
    line->SetAttribute(L"align", L"left");
    line->SetAttribute(L"multiline", L"true");
    line->SetText(text);
    auto* mark = new CButtonUI;
    mark->SetPadding(RECT{4, 2, 0, 0});
    mark->SetBkImage(L"images\\Circle.png");
    mark->SetFixedWidth(17);
    mark->SetFixedHeight(15);
    mark->SetVisible(false);
    row->Add(line);
    row->Add(mark);
    Add(row);
}

CControlUI* CInfoListUI::MarkOfRow(int row) {
    auto* element = static_cast<CContainerUI*>(GetItemAt(row));
    return element ? element->GetItemAt(1) : nullptr;
}

void CInfoListUI::StartTicking() {
    if (started_ || !GetManager()) return;
    for (int row = 0; row < GetCount(); ++row)
        if (CControlUI* mark = MarkOfRow(row)) mark->SetVisible(true);
    GetManager()->SetTimer(this, kTickTimer, kTickPeriodMs);
    started_ = true;
}

void CInfoListUI::DoEvent(TEventUI& event) {
    CListUI::DoEvent(event);
    if (event.Type != UIEVENT_TIMER || event.wParam != kTickTimer) return;
    GetManager()->KillTimer(this, kTickTimer);
    if (ticked_ >= GetCount()) return;
    if (CControlUI* mark = MarkOfRow(ticked_)) {
        mark->SetFixedWidth(18);
        mark->SetFixedHeight(13);
        mark->SetBkImage(L"images\\Check.png");
        mark->SetVisible(false);
        mark->SetVisible(true);
    }
    ++ticked_;
    GetManager()->SetTimer(this, kTickTimer, kTickPeriodMs);
}
