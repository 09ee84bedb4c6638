// Delegates and event sources: filters, de-duplication and short-circuiting.
#include "core/base/Delegate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace UiLib;

namespace {

struct Listener {
    std::vector<std::string>* log;
    std::string name;
    bool answer = true;

    bool OnNotify(TNotifyUI& msg, long extra) {
        log->push_back(name + ":notify:" + msg.sType.ToNarrowString() + ":" + std::to_string(extra));
        return answer;
    }
    bool OtherNotify(TNotifyUI& msg, long) {
        log->push_back(name + ":other");
        return answer;
    }
    bool OnEvent(TEventUI& event, long extra) {
        log->push_back(name + ":event:" + std::to_string(event.Type) + ":" + std::to_string(extra));
        return answer;
    }
    bool OnPointer(void* param, long extra) {
        log->push_back(name + ":pointer:" + std::to_string(param != nullptr) + ":" + std::to_string(extra));
        return answer;
    }
};

typedef CDelegate<Listener, Listener, long> ListenerDelegate;

TNotifyUI Notification(const wchar_t* type) {
    TNotifyUI msg{};
    msg.sType = type;
    return msg;
}

TEST(EventSource, SameMemberObjectAndFilterIsAddedOnce) {
    std::vector<std::string> log;
    Listener a{&log, "a"}, b{&log, "b"};
    CEventSource source;
    EXPECT_FALSE(source);
    source += ListenerDelegate(&a, &Listener::OnNotify, 1L);
    source += ListenerDelegate(&a, &Listener::OnNotify, 2L);               // same: ignored
    source += ListenerDelegate(&a, &Listener::OnNotify, 1L, L"click");     // other filter: kept
    source += ListenerDelegate(&b, &Listener::OnNotify, 1L);               // other object: kept
    source += ListenerDelegate(&a, &Listener::OtherNotify, 1L);            // other member: kept
    EXPECT_TRUE(source);
    EXPECT_EQ(source.GetCount(), 4);

    TNotifyUI click = Notification(L"click");
    EXPECT_TRUE(source(click));
    EXPECT_EQ(log, (std::vector<std::string>{"a:notify:click:1", "a:notify:click:1", "b:notify:click:1", "a:other"}));
}

TEST(EventSource, FirstFalseAnswerStopsTheRest) {
    std::vector<std::string> log;
    Listener first{&log, "1"}, second{&log, "2", false}, third{&log, "3"};
    CEventSource source;
    TNotifyUI msg = Notification(L"x");
    EXPECT_TRUE(source(msg));  // an empty source answers true
    for (Listener* l : {&first, &second, &third}) source += ListenerDelegate(l, &Listener::OnNotify, 0L);
    EXPECT_FALSE(source(msg));
    EXPECT_EQ(log, (std::vector<std::string>{"1:notify:x:0", "2:notify:x:0"}));
}

TEST(Delegate, FiltersAndShapes) {
    std::vector<std::string> log;
    Listener l{&log, "l", false};
    ListenerDelegate clickOnly(&l, &Listener::OnNotify, 7L, L"click");
    TNotifyUI select = Notification(L"selectchanged"), click = Notification(L"click"), upper = Notification(L"Click");
    EXPECT_TRUE(clickOnly.Invoke(select));  // filtered out: true without a call
    EXPECT_TRUE(clickOnly.Invoke(upper));   // filters are case-sensitive
    EXPECT_FALSE(clickOnly.Invoke(click));
    EXPECT_EQ(log, (std::vector<std::string>{"l:notify:click:7"}));

    log.clear();
    ListenerDelegate leaveOnly(&l, &Listener::OnEvent, 3L, 10);
    ListenerDelegate anyEvent(&l, &Listener::OnEvent, 4L);
    TEventUI enter{}, leave{};
    enter.Type = 11;
    leave.Type = 10;
    EXPECT_TRUE(leaveOnly.Invoke(enter));
    EXPECT_FALSE(leaveOnly.Invoke(leave));
    EXPECT_FALSE(anyEvent.Invoke(enter));
    EXPECT_EQ(log, (std::vector<std::string>{"l:event:10:3", "l:event:11:4"}));

    // Each member is called only with the argument type it takes.
    log.clear();
    int control = 0;
    ListenerDelegate pointer(&l, &Listener::OnPointer, 5L);
    EXPECT_FALSE(pointer.Invoke(&control));
    EXPECT_TRUE(pointer.Invoke(click));
    EXPECT_TRUE(pointer.Invoke(enter));
    EXPECT_TRUE(anyEvent.Invoke(static_cast<void*>(&control)));
    EXPECT_TRUE(clickOnly.Invoke(static_cast<void*>(&control)));
    EXPECT_EQ(log, (std::vector<std::string>{"l:pointer:1:5"}));

    // Without an object nothing is called and the answer is true.
    ListenerDelegate none(nullptr, &Listener::OnNotify, 0L);
    EXPECT_TRUE(none.Invoke(click));
    EXPECT_EQ(log.size(), 1u);

    // A copy keeps object, member, filters and the extra parameter.
    std::unique_ptr<CDelegateBase> copy(clickOnly.Copy());
    EXPECT_TRUE(copy->Equals(clickOnly));
    EXPECT_FALSE(copy->Invoke(click));
    EXPECT_EQ(log.back(), "l:notify:click:7");
}

}  // namespace
