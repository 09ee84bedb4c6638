// CNotifyPump turns notifications into calls of member handlers listed in
// static message maps, following each class's map to its base class's map,
// and forwards notifications of named virtual windows to their own pumps.
#pragma once
#include "core/base/StdStringPtrMap.h"
#include "core/base/UiEvents.h"
#include "core/base/UiLibApi.h"
#include "core/base/UiString.h"

#include <windows.h>

namespace UiLib {

class CNotifyPump;

typedef void (CNotifyPump::*UI_PMSG)(TNotifyUI& msg);
typedef void (CNotifyPump::*UI_PMSG_PARAMS)(WPARAM wParam, LPARAM lParam);

enum UiSig {
    UiSig_end = 0,
    UiSig_lwl = 1,  // handler(WPARAM, LPARAM)
    UiSig_vn = 2,   // handler(TNotifyUI&)
};

struct UI_MSGMAP_ENTRY {
    CUiString sMsgType;
    CUiString sCtrlName;
    UINT nSig;
    UI_PMSG pfn;               // UiSig_vn
    UI_PMSG_PARAMS pfnParams;  // UiSig_lwl
};

struct UI_MSGMAP {
    const UI_MSGMAP* (*pfnGetBaseMap)();
    const UI_MSGMAP_ENTRY* lpEntries;
};

class UILIB_API CNotifyPump {
public:
    virtual const UI_MSGMAP* GetMessageMap() const;

    bool AddVirtualWnd(const wchar_t* name, CNotifyPump* pump);
    bool RemoveVirtualWnd(const wchar_t* name);
    // Offers the notification to the virtual windows, then to this pump's maps.
    void NotifyPump(TNotifyUI& msg);
    bool LoopDispatch(TNotifyUI& msg);

protected:
    static const UI_MSGMAP* GetThisMessageMap();

private:
    CStdStringPtrMap m_VirtualWndMap;
};

}  // namespace UiLib

// Message map declarations for classes derived from CNotifyPump.
#define UI_DECLARE_MESSAGE_MAP()                           \
protected:                                                 \
    static const ::UiLib::UI_MSGMAP* GetThisMessageMap();  \
    const ::UiLib::UI_MSGMAP* GetMessageMap() const override;

#define UI_BEGIN_MESSAGE_MAP(theClass, baseClass)                                                               \
    const ::UiLib::UI_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }                  \
    const ::UiLib::UI_MSGMAP* theClass::GetThisMessageMap() {                                                  \
        typedef theClass ThisClass;                                                                            \
        typedef baseClass BaseClass;                                                                           \
        static const ::UiLib::UI_MSGMAP_ENTRY entries[] = {
#define UI_ON_MSGTYPE(msgtype, handler) \
    {msgtype, L"", ::UiLib::UiSig_vn, static_cast<::UiLib::UI_PMSG>(&ThisClass::handler), nullptr},
#define UI_ON_MSGTYPE_CTRNAME(msgtype, ctrname, handler) \
    {msgtype, ctrname, ::UiLib::UiSig_vn, static_cast<::UiLib::UI_PMSG>(&ThisClass::handler), nullptr},
#define UI_ON_MSGTYPE_PARAMS(msgtype, ctrname, handler)         \
    {msgtype, ctrname, ::UiLib::UiSig_lwl, nullptr, static_cast<::UiLib::UI_PMSG_PARAMS>(&ThisClass::handler)},
#define UI_END_MESSAGE_MAP()                                        \
    {L"", L"", ::UiLib::UiSig_end, nullptr, nullptr}                                  \
    }                                                                        \
    ;                                                                        \
    static const ::UiLib::UI_MSGMAP map = {&BaseClass::GetThisMessageMap, entries}; \
    return &map;                                                             \
    }
