#include "controls/UIMenuObserver.h"

namespace UiLib {

void ReceiverImpl::AddObserver(ObserverImplBase* observer) {
    if (observer) m_aObservers.Add(observer);
}

void ReceiverImpl::RemoveObservers() {
    for (int i = 0; i < m_aObservers.GetSize(); ++i)
        static_cast<ObserverImplBase*>(m_aObservers.GetAt(i))->RemoveReceiver(this);
    m_aObservers.Empty();
}

BOOL ReceiverImpl::Receive(int, HWND) { return FALSE; }

ObserverImpl& ObserverImpl::Instance() {
    static ObserverImpl observer;
    return observer;
}

void ObserverImpl::AddReceiver(ReceiverImplBase* receiver) {
    if (!receiver) return;
    m_aReceivers.Add(receiver);
    receiver->AddObserver(this);
}

void ObserverImpl::RemoveReceiver(ReceiverImplBase* receiver) {
    const int index = m_aReceivers.Find(receiver);
    if (index >= 0) m_aReceivers.Remove(index);
}

BOOL ObserverImpl::Broadcast(int type, HWND param) {
    // Latest first; a receiver may leave while it is told, so the copy is walked.
    CStdPtrArray receivers = m_aReceivers;
    for (int i = receivers.GetSize() - 1; i >= 0; --i) {
        ReceiverImplBase* receiver = static_cast<ReceiverImplBase*>(receivers.GetAt(i));
        if (m_aReceivers.Find(receiver) >= 0) receiver->Receive(type, param);
    }
    return TRUE;
}

void ObserverImpl::SetMainManager(CPaintManagerUI* manager) {
    if (manager) m_pMainManager = manager;
}

CPaintManagerUI* ObserverImpl::GetMainManager() const { return m_pMainManager; }
void ObserverImpl::SetCheckStates(MenuCheckStates* states) { m_pCheckStates = states; }
MenuCheckStates* ObserverImpl::GetCheckStates() const { return m_pCheckStates; }

}  // namespace UiLib
