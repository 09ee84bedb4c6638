// Delegates bind a member function of an object to one of the library's
// callback shapes (a plain pointer, an input event or a notification), with an
// extra parameter and optional filters; an event source calls its delegates in
// order as one.
#pragma once
#include "core/base/StdArrays.h"
#include "core/base/UiEvents.h"
#include "core/base/UiLibApi.h"
#include "core/base/UiString.h"

#include <cstring>

namespace UiLib {

class UILIB_API IDelegate {
public:
    virtual ~IDelegate() {}
};

class UILIB_API CDelegateBase : public IDelegate {
public:
    CDelegateBase(void* object, int eventTypeFilter, const wchar_t* notifyTypeFilter);
    CDelegateBase(const CDelegateBase& other);
    CDelegateBase& operator=(const CDelegateBase&) = delete;

    virtual void* GetObj() const { return m_pObject; }
    virtual int GetEventTypeFilter() const { return m_iEventType; }
    virtual const wchar_t* GetNotifyTypeFilter() const { return m_sNotifyType; }
    // Same object, same bound member and the same notification filter.
    virtual bool Equals(const CDelegateBase& other) const;
    // The member's shape (pointer, event, notification); the bytes of two
    // handlers are compared only between delegates of one class and shape.
    virtual int HandlerShape() const = 0;
    virtual CDelegateBase* Copy() const = 0;
    virtual bool Invoke(TNotifyUI& msg) = 0;
    virtual bool Invoke(TEventUI& event) = 0;
    virtual bool Invoke(void* param) = 0;

    bool operator==(const CDelegateBase& other) const { return Equals(other); }

protected:
    void SetHandlerBytes(const void* bytes, size_t size);

    void* m_pObject;
    int m_iEventType;
    CUiString m_sNotifyType;
    unsigned char m_handler[4 * sizeof(void*)];
    size_t m_handlerSize = 0;
};

// O is the object's class, T the class declaring the member, P the extra parameter.
template <class O, class T, class P = long>
class CDelegate : public CDelegateBase {
public:
    typedef bool (T::*PointerHandler)(void* param, P extra);
    typedef bool (T::*EventHandler)(TEventUI& event, P extra);
    typedef bool (T::*NotifyHandler)(TNotifyUI& msg, P extra);

    CDelegate(O* object, PointerHandler handler, P extra = P())
        : CDelegateBase(object, 0, nullptr), m_pObj(object), m_extra(extra), m_shape(Shape::Pointer) {
        m_pointer = handler;
        SetHandlerBytes(&m_pointer, sizeof(m_pointer));
    }
    CDelegate(O* object, EventHandler handler, P extra = P(), int eventTypeFilter = 0)
        : CDelegateBase(object, eventTypeFilter, nullptr), m_pObj(object), m_extra(extra), m_shape(Shape::Event) {
        m_event = handler;
        SetHandlerBytes(&m_event, sizeof(m_event));
    }
    CDelegate(O* object, NotifyHandler handler, P extra = P(), const wchar_t* notifyTypeFilter = nullptr)
        : CDelegateBase(object, 0, notifyTypeFilter), m_pObj(object), m_extra(extra), m_shape(Shape::Notify) {
        m_notify = handler;
        SetHandlerBytes(&m_notify, sizeof(m_notify));
    }
    CDelegate(const CDelegate& other) = default;

    int HandlerShape() const override { return static_cast<int>(m_shape); }
    CDelegateBase* Copy() const override { return new CDelegate(*this); }

    bool Invoke(TNotifyUI& msg) override {
        if (!m_pObj) return true;
        if (m_shape != Shape::Notify) return true;
        if (!m_sNotifyType.IsEmpty() && m_sNotifyType != msg.sType) return true;
        return (static_cast<T*>(m_pObj)->*m_notify)(msg, m_extra);
    }
    bool Invoke(TEventUI& event) override {
        if (!m_pObj) return true;
        if (m_shape != Shape::Event) return true;
        if (m_iEventType != 0 && m_iEventType != event.Type) return true;
        return (static_cast<T*>(m_pObj)->*m_event)(event, m_extra);
    }
    // Only a member that takes a plain pointer is called with one; an event or
    // notification member never receives a pointer of another type.
    bool Invoke(void* param) override {
        if (!m_pObj || m_shape != Shape::Pointer) return true;
        return (static_cast<T*>(m_pObj)->*m_pointer)(param, m_extra);
    }

    P GetExtraParam() const { return m_extra; }

private:
    enum class Shape { Pointer, Event, Notify };

    O* m_pObj;
    P m_extra;
    Shape m_shape;
    PointerHandler m_pointer = nullptr;
    EventHandler m_event = nullptr;
    NotifyHandler m_notify = nullptr;
};

class UILIB_API CEventSource {
public:
    CEventSource() = default;
    CEventSource(const CEventSource&) = delete;
    CEventSource& operator=(const CEventSource&) = delete;
    ~CEventSource();

    // Adds a copy of the delegate unless an equal one is present.
    void Add(const CDelegateBase& delegate);
    void operator+=(const CDelegateBase& delegate) { Add(delegate); }
    int GetCount() const { return m_aDelegates.GetSize(); }
    explicit operator bool() const { return !m_aDelegates.IsEmpty(); }

    // Calls the delegates in order; the first false answer ends the call.
    bool operator()(void* param);
    bool operator()(TEventUI& event);
    bool operator()(TNotifyUI& msg);

private:
    template <class Arg>
    bool InvokeAll(Arg& arg);

    CStdPtrArray m_aDelegates;
};

}  // namespace UiLib
