// The process-wide register of open menu windows. Every menu window joins it
// when it opens and leaves it when it ends; a broadcast asks all of them (or
// those below a given window) to close. Callers of UiLib_u.dll see these
// classes, so the order of their operations is fixed.
#pragma once
#include "controls/UIListInterfaces.h"
#include "core/base/StdArrays.h"
#include "core/base/UiLibApi.h"

#include <windows.h>

#include <map>
#include <string>

namespace UiLib {

class CPaintManagerUI;
class ObserverImplBase;

// Broadcast types: close every menu, or only those whose window has the given
// window among its ancestors.
enum MenuBroadcast {
    kMenuCloseAll = 1,
    kMenuCloseBelow = 2,
};

// The application's check states of check items, by item name (not owned).
typedef std::map<std::wstring, bool> MenuCheckStates;

class UILIB_API ReceiverImplBase {
public:
    virtual void UILIB_THISCALL AddObserver(ObserverImplBase* observer) = 0;
    virtual void UILIB_THISCALL RemoveObservers() = 0;
    virtual BOOL UILIB_THISCALL Receive(int type, HWND param) = 0;

protected:
    ~ReceiverImplBase() = default;
};

class UILIB_API ObserverImplBase {
public:
    virtual void UILIB_THISCALL AddReceiver(ReceiverImplBase* receiver) = 0;
    virtual void UILIB_THISCALL RemoveReceiver(ReceiverImplBase* receiver) = 0;
    virtual BOOL UILIB_THISCALL Broadcast(int type, HWND param) = 0;
    virtual void UILIB_THISCALL SetMainManager(CPaintManagerUI* manager) = 0;
    virtual CPaintManagerUI* UILIB_THISCALL GetMainManager() const = 0;
    virtual void UILIB_THISCALL SetCheckStates(MenuCheckStates* states) = 0;
    virtual MenuCheckStates* UILIB_THISCALL GetCheckStates() const = 0;

protected:
    ~ObserverImplBase() = default;
};

class UILIB_API ReceiverImpl : public ReceiverImplBase {
public:
    ReceiverImpl() = default;
    ReceiverImpl(const ReceiverImpl&) = delete;
    ReceiverImpl& operator=(const ReceiverImpl&) = delete;

    void UILIB_THISCALL AddObserver(ObserverImplBase* observer) override;
    void UILIB_THISCALL RemoveObservers() override;
    BOOL UILIB_THISCALL Receive(int type, HWND param) override;

protected:
    ~ReceiverImpl() = default;

private:
    CStdPtrArray m_aObservers;
};

class UILIB_API ObserverImpl : public ObserverImplBase {
public:
    // The one observer of the process, made on first use.
    static ObserverImpl& Instance();

    void UILIB_THISCALL AddReceiver(ReceiverImplBase* receiver) override;
    void UILIB_THISCALL RemoveReceiver(ReceiverImplBase* receiver) override;
    BOOL UILIB_THISCALL Broadcast(int type, HWND param) override;
    void UILIB_THISCALL SetMainManager(CPaintManagerUI* manager) override;
    CPaintManagerUI* UILIB_THISCALL GetMainManager() const override;
    void UILIB_THISCALL SetCheckStates(MenuCheckStates* states) override;
    MenuCheckStates* UILIB_THISCALL GetCheckStates() const override;

    // The registered receivers in order of registration.
    int GetReceiverCount() const { return m_aReceivers.GetSize(); }
    ReceiverImplBase* GetReceiverAt(int index) const {
        return static_cast<ReceiverImplBase*>(m_aReceivers.GetAt(index));
    }

private:
    ObserverImpl() = default;
    ~ObserverImpl() = default;

    CStdPtrArray m_aReceivers;
    CPaintManagerUI* m_pMainManager = nullptr;
    MenuCheckStates* m_pCheckStates = nullptr;
};

}  // namespace UiLib
