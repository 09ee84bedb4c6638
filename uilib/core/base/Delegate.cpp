#include "core/base/Delegate.h"

#include <typeinfo>

namespace UiLib {

CDelegateBase::CDelegateBase(void* object, int eventTypeFilter, const wchar_t* notifyTypeFilter)
    : m_pObject(object), m_iEventType(eventTypeFilter), m_sNotifyType(notifyTypeFilter) {
    memset(m_handler, 0, sizeof(m_handler));
}

CDelegateBase::CDelegateBase(const CDelegateBase& other)
    : IDelegate(),
      m_pObject(other.m_pObject),
      m_iEventType(other.m_iEventType),
      m_sNotifyType(other.m_sNotifyType),
      m_handlerSize(other.m_handlerSize) {
    memcpy(m_handler, other.m_handler, sizeof(m_handler));
}

void CDelegateBase::SetHandlerBytes(const void* bytes, size_t size) {
    m_handlerSize = size < sizeof(m_handler) ? size : sizeof(m_handler);
    memset(m_handler, 0, sizeof(m_handler));
    memcpy(m_handler, bytes, m_handlerSize);
}

bool CDelegateBase::Equals(const CDelegateBase& other) const {
    return m_pObject == other.m_pObject && typeid(*this) == typeid(other) &&
           HandlerShape() == other.HandlerShape() &&
           m_handlerSize == other.m_handlerSize && memcmp(m_handler, other.m_handler, m_handlerSize) == 0 &&
           m_sNotifyType == other.m_sNotifyType;
}

CEventSource::~CEventSource() {
    for (int i = 0; i < m_aDelegates.GetSize(); ++i) delete static_cast<CDelegateBase*>(m_aDelegates.GetAt(i));
}

void CEventSource::Add(const CDelegateBase& delegate) {
    for (int i = 0; i < m_aDelegates.GetSize(); ++i)
        if (static_cast<CDelegateBase*>(m_aDelegates.GetAt(i))->Equals(delegate)) return;
    CDelegateBase* copy = delegate.Copy();
    if (!m_aDelegates.Add(copy)) delete copy;
}

template <class Arg>
bool CEventSource::InvokeAll(Arg& arg) {
    for (int i = 0; i < m_aDelegates.GetSize(); ++i)
        if (!static_cast<CDelegateBase*>(m_aDelegates.GetAt(i))->Invoke(arg)) return false;
    return true;
}

bool CEventSource::operator()(void* param) { return InvokeAll(param); }
bool CEventSource::operator()(TEventUI& event) { return InvokeAll(event); }
bool CEventSource::operator()(TNotifyUI& msg) { return InvokeAll(msg); }

}  // namespace UiLib
