// Multimedia timers: a running value that counts through a duration,
// forwards, backwards or back and forth, ticking a bound member. The system
// timer thread only signals; every tick (member call, value step, end test)
// runs on the thread that started the timer, where controls live.
#pragma once
#include "core/base/UiLibApi.h"

#include <windows.h>

#include <cstring>

namespace UiLib {

class UILIB_API IUiTimer {
public:
    virtual bool Start() = 0;
    virtual bool SetAndStart(int interval, int total, bool autoStart, bool repeat, bool bounce, HWND hWnd = nullptr,
                             WPARAM wParam = 0, LPARAM lParam = 0) = 0;
    virtual void Stop() = 0;
    virtual IUiTimer* Copy() const = 0;
    virtual bool IsLoop() const = 0;
    virtual bool IsReverse() const = 0;
    virtual bool IsInverted() const = 0;
    virtual void* GetObj() const = 0;
    virtual const void* GetMember() const = 0;
    virtual void* GetParam() const = 0;
    virtual UINT GetTimerId() const = 0;
    virtual int GetInterval() const = 0;
    virtual int GetTotalTimer() const = 0;
    virtual int GetCurTimer() const = 0;
    virtual bool IsAutoStart() const = 0;
    virtual bool IsEnd() = 0;
    virtual HWND GetHwnd() const = 0;
    virtual WPARAM GetWParam() const = 0;
    virtual LPARAM GetLParam() const = 0;
    virtual void OnTimerMessage() = 0;
    virtual void OnTimerParam() = 0;
    virtual void OnTimer() = 0;
    virtual ~IUiTimer() {}
};

class UILIB_API CUiTimerBase : public IUiTimer {
public:
    CUiTimerBase(int interval, int total, bool autoStart, bool repeat, bool bounce);
    CUiTimerBase(const CUiTimerBase& other);
    CUiTimerBase& operator=(const CUiTimerBase&) = delete;
    ~CUiTimerBase() override;

    bool Start() override;
    bool SetAndStart(int interval, int total, bool autoStart, bool repeat, bool bounce, HWND hWnd = nullptr,
                     WPARAM wParam = 0, LPARAM lParam = 0) override;
    void Stop() override;
    bool IsLoop() const override { return m_bRepeat; }
    bool IsReverse() const override { return m_bBounce; }
    bool IsInverted() const override { return m_bBackwards; }
    UINT GetTimerId() const override { return m_uTimerId; }
    int GetInterval() const override { return m_iInterval; }
    int GetTotalTimer() const override { return m_iTotal; }
    int GetCurTimer() const override { return m_iCurrent; }
    bool IsAutoStart() const override { return m_bAutoStart; }
    bool IsEnd() override;
    HWND GetHwnd() const override { return m_hWnd; }
    WPARAM GetWParam() const override { return m_wParam; }
    LPARAM GetLParam() const override { return m_lParam; }
    void OnTimerMessage() override;
    bool IsRunning() const { return m_uTimerId != 0; }

    // One tick on the owning thread: the member call, the value step and the end test.
    void Tick();

protected:
    virtual bool HasBinding() const = 0;
    virtual bool HasParam() const = 0;
    virtual void ClearBinding() = 0;

private:
    void SetValues(int interval, int total, bool autoStart, bool repeat, bool bounce);
    void Advance();

    bool m_bAutoStart;
    bool m_bRepeat;
    bool m_bBounce;
    bool m_bBackwards = false;
    int m_iInterval = 0;
    int m_iTotal = 0;
    int m_iCurrent = 0;
    UINT m_uTimerId = 0;
    UINT m_uResolution = 0;
    bool m_bPeriodBegun = false;
    UINT m_uToken = 0;
    HWND m_hWnd = nullptr;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
};

// Binds a timer to a member `void T::member(IUiTimer*, P)` of an object.
template <class O, class T, class P>
class TUiTimer : public CUiTimerBase {
public:
    typedef void (T::*Member)(IUiTimer* timer, P param);

    TUiTimer(O* object, Member member, P param, int interval, int total, bool autoStart = false,
             bool repeat = false, bool bounce = false)
        : CUiTimerBase(interval, total, autoStart, repeat, bounce), m_pObject(object), m_member(member),
          m_param(param) {}
    TUiTimer(const TUiTimer& other) = default;

    IUiTimer* Copy() const override { return new TUiTimer(*this); }
    void* GetObj() const override { return m_pObject; }
    const void* GetMember() const override { return &m_member; }
    void* GetParam() const override { return reinterpret_cast<void*>(m_param); }
    void OnTimerParam() override {
        if (m_pObject && m_member) (static_cast<T*>(m_pObject)->*m_member)(this, m_param);
    }
    void OnTimer() override { OnTimerParam(); }

protected:
    bool HasBinding() const override { return m_pObject && m_member; }
    bool HasParam() const override { return m_param != P(); }
    void ClearBinding() override {
        m_pObject = nullptr;
        m_member = nullptr;
    }

private:
    O* m_pObject;
    Member m_member;
    P m_param;
};

}  // namespace UiLib
