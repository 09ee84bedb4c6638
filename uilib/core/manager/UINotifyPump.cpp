#include "core/manager/UINotifyPump.h"

#include "core/manager/UIControl.h"

namespace UiLib {

const UI_MSGMAP* CNotifyPump::GetThisMessageMap() {
    static const UI_MSGMAP_ENTRY entries[] = {{L"", L"", UiSig_end, nullptr, nullptr}};
    static const UI_MSGMAP map = {nullptr, entries};
    return &map;
}

const UI_MSGMAP* CNotifyPump::GetMessageMap() const { return GetThisMessageMap(); }

bool CNotifyPump::AddVirtualWnd(const wchar_t* name, CNotifyPump* pump) {
    if (!name || !pump || m_VirtualWndMap.Find(name)) return false;
    return m_VirtualWndMap.Insert(name, pump);
}

bool CNotifyPump::RemoveVirtualWnd(const wchar_t* name) {
    return name && m_VirtualWndMap.Remove(name);
}

bool CNotifyPump::LoopDispatch(TNotifyUI& msg) {
    CUiString sender = msg.pSender ? msg.pSender->GetName() : CUiString();
    for (const UI_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        const UI_MSGMAP_ENTRY* fallback = nullptr;
        const UI_MSGMAP_ENTRY* chosen = nullptr;
        for (const UI_MSGMAP_ENTRY* entry = map->lpEntries; entry->nSig != UiSig_end; ++entry) {
            if (entry->sMsgType != msg.sType) continue;
            if (!entry->sCtrlName.IsEmpty() && entry->sCtrlName == sender) {
                chosen = entry;
                break;
            }
            if (entry->sCtrlName.IsEmpty()) fallback = entry;
        }
        if (!chosen) chosen = fallback;
        if (!chosen) continue;
        if (chosen->nSig == UiSig_lwl)
            (this->*chosen->pfnParams)(msg.wParam, msg.lParam);
        else
            (this->*chosen->pfn)(msg);
        return true;
    }
    return false;
}

void CNotifyPump::NotifyPump(TNotifyUI& msg) {
    if (!msg.sVirtualWnd.IsEmpty()) {
        for (int i = 0; i < m_VirtualWndMap.GetSize(); ++i) {
            const wchar_t* key = m_VirtualWndMap.GetAt(i);
            if (!key || msg.sVirtualWnd.CompareNoCase(key) != 0) continue;
            auto* pump = static_cast<CNotifyPump*>(m_VirtualWndMap.Find(key, false));
            if (pump && pump->LoopDispatch(msg)) return;
        }
    }
    LoopDispatch(msg);
}

}  // namespace UiLib
