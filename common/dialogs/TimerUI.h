// CTimerUI: an invisible skin control (element "Timer") that tells its
// window, every "pause" milliseconds, that time passed, until "life"
// milliseconds are used up. Balloon tips close themselves with it.
#pragma once
#include "core/manager/UIControl.h"
#include "core/manager/UIInterfaces.h"

class CTimerUI : public UiLib::CControlUI {
public:
    explicit CTimerUI(UiLib::INotifyUI* owner);
    ~CTimerUI() override;

    const wchar_t* GetClass() const override;
    void DoInit() override;
    void DoEvent(UiLib::TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    UINT TimerId() const { return m_timerId; }
    UINT Life() const { return m_life; }
    UINT Pause() const { return m_pause; }
    UINT Elapsed() const { return m_elapsed; }
    const wchar_t* MessageType() const { return m_message; }

private:
    void Start();

    UINT m_timerId = 1;
    UiLib::CUiString m_message = L"message";
    UINT m_life = 0;
    UINT m_pause = 0;
    UINT m_elapsed = 0;
    UiLib::INotifyUI* m_owner;
};
