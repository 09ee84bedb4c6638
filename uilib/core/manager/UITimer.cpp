#include "core/manager/UITimer.h"

#include <mmsystem.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace UiLib {

namespace {

const UINT kTickMessage = WM_APP + 0x1A;

// Running timers by token. The timer thread only reads the sink window and
// the pending flag; the timer object itself is touched on its own thread.
struct Route {
    HWND sink;
    CUiTimerBase* timer;
    bool pending;
};

struct RouteTable {
    std::mutex lock;
    std::unordered_map<UINT, Route> routes;
    UINT nextToken = 1;
};

RouteTable& Routes() {
    static RouteTable* table = new RouteTable;  // outlives every timer, even at exit
    return *table;
}

LRESULT CALLBACK SinkProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != kTickMessage) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
    CUiTimerBase* timer = nullptr;
    {
        RouteTable& table = Routes();
        std::lock_guard<std::mutex> guard(table.lock);
        auto it = table.routes.find(static_cast<UINT>(wParam));
        if (it != table.routes.end()) {
            it->second.pending = false;
            timer = it->second.timer;
        }
    }
    if (timer) timer->Tick();
    return 0;
}

// A message-only window per thread that receives the ticks of that thread's timers.
HWND ThreadSink() {
    static thread_local HWND sink = nullptr;
    if (sink && ::IsWindow(sink)) return sink;
    static const wchar_t kClass[] = L"UiLibTimerSink";
    WNDCLASSW wc = {};
    wc.lpfnWndProc = SinkProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    ::RegisterClassW(&wc);  // fails harmlessly once registered
    sink = ::CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    return sink;
}

void CALLBACK TimerThreadTick(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    RouteTable& table = Routes();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.routes.find(static_cast<UINT>(user));
    if (it == table.routes.end() || it->second.pending) return;  // one tick in flight is enough
    it->second.pending = true;
    ::PostMessageW(it->second.sink, kTickMessage, static_cast<WPARAM>(user), 0);
}

UINT FinestResolution() {
    TIMECAPS caps = {};
    if (::timeGetDevCaps(&caps, sizeof(caps)) != TIMERR_NOERROR) return 0;
    return std::min(std::max<UINT>(caps.wPeriodMin, 1), caps.wPeriodMax);
}

}  // namespace

CUiTimerBase::CUiTimerBase(int interval, int total, bool autoStart, bool repeat, bool bounce)
    : m_bAutoStart(autoStart), m_bRepeat(repeat), m_bBounce(bounce) {
    SetValues(interval, total, autoStart, repeat, bounce);
    m_uResolution = FinestResolution();
}

CUiTimerBase::CUiTimerBase(const CUiTimerBase& other)
    : m_bAutoStart(other.m_bAutoStart), m_bRepeat(other.m_bRepeat), m_bBounce(other.m_bBounce),
      m_bBackwards(other.m_bBackwards), m_iInterval(other.m_iInterval), m_iTotal(other.m_iTotal),
      m_iCurrent(other.m_iCurrent), m_uResolution(other.m_uResolution), m_hWnd(other.m_hWnd),
      m_wParam(other.m_wParam), m_lParam(other.m_lParam) {}

CUiTimerBase::~CUiTimerBase() { Stop(); }

void CUiTimerBase::SetValues(int interval, int total, bool autoStart, bool repeat, bool bounce) {
    m_iCurrent = std::min(interval, total);
    m_iInterval = std::max(interval, 0);
    m_iTotal = total == 0 ? 0 : std::max(total, m_iInterval);
    m_bBackwards = interval >= total;
    m_bAutoStart = autoStart;
    m_bRepeat = repeat;
    m_bBounce = bounce;
    m_hWnd = nullptr;
    m_wParam = 0;
    m_lParam = 0;
}

bool CUiTimerBase::Start() {
    if (IsRunning()) Stop();
    HWND sink = ThreadSink();
    if (!sink || !HasBinding()) {
        ClearBinding();
        return false;
    }
    RouteTable& table = Routes();
    {
        std::lock_guard<std::mutex> guard(table.lock);
        m_uToken = table.nextToken++;
        if (table.nextToken == 0) table.nextToken = 1;
        table.routes[m_uToken] = Route{sink, this, false};
    }
    if (m_uResolution && ::timeBeginPeriod(m_uResolution) == TIMERR_NOERROR) m_bPeriodBegun = true;
    m_uTimerId = ::timeSetEvent(static_cast<UINT>(m_iInterval), m_uResolution, TimerThreadTick, m_uToken,
                                TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    if (m_uTimerId == 0) {
        Stop();
        ClearBinding();  // no member is called later
        return false;
    }
    return true;
}

bool CUiTimerBase::SetAndStart(int interval, int total, bool autoStart, bool repeat, bool bounce, HWND hWnd,
                               WPARAM wParam, LPARAM lParam) {
    Stop();
    SetValues(interval, total, autoStart, repeat, bounce);
    m_hWnd = hWnd;
    m_wParam = wParam;
    m_lParam = lParam;
    return Start();
}

// Synchronous: once this returns no tick of this timer runs any more.
void CUiTimerBase::Stop() {
    if (m_uTimerId) ::timeKillEvent(m_uTimerId);
    if (m_uToken) {
        RouteTable& table = Routes();
        std::lock_guard<std::mutex> guard(table.lock);
        table.routes.erase(m_uToken);
    }
    if (m_bPeriodBegun) ::timeEndPeriod(m_uResolution);
    m_bPeriodBegun = false;
    if (m_uTimerId) m_iCurrent = m_iInterval;
    m_uTimerId = 0;
    m_uToken = 0;
}

void CUiTimerBase::OnTimerMessage() {
    if (m_hWnd) ::PostMessageW(m_hWnd, WM_TIMER, m_wParam, m_lParam);
}

void CUiTimerBase::Tick() {
    if (!IsRunning()) return;
    if (HasBinding() && HasParam())
        OnTimerParam();
    else if (m_hWnd || m_wParam)
        OnTimerMessage();
    else
        OnTimer();
    if (!IsRunning()) return;  // the member stopped it
    Advance();
    if (IsEnd()) Stop();
}

void CUiTimerBase::Advance() {
    int step = m_iInterval, end = m_iTotal, value = m_iCurrent;
    if (step >= end) return;
    if (!m_bBackwards) {
        if (value + step > end && value < end)
            value = end;
        else if (value + step <= end || !m_bBounce)
            value += step;
        else {
            m_bBackwards = true;
            value -= step;
        }
    } else {
        if (value - step < 0 && value > 0)
            value = 0;
        else if (value - step >= 0 || !m_bBounce)
            value -= step;
        else {
            m_bBackwards = false;
            value += step;
        }
    }
    m_iCurrent = value;
}

bool CUiTimerBase::IsEnd() {
    int step = m_iInterval, end = m_iTotal;
    if (step >= end) {
        m_iCurrent += step;
        return false;
    }
    if (!m_bRepeat) return m_bBounce ? m_iCurrent < 0 : m_iCurrent > end;
    if (!m_bBounce && m_iCurrent > end) m_iCurrent = 0;
    if (m_bBounce && m_iCurrent < 0) m_iCurrent = end;
    return false;
}

}  // namespace UiLib
