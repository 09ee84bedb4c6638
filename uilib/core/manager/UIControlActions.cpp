// Property actions of CControlUI: binding the manager's action groups to a
// control, starting them on a notification or an event, and animating the
// bound attributes frame by frame on multimedia timers. What a run loads
// (resolved start and end values, the parts of an image string) lives in the
// control's own action record, so controls sharing a group never disturb
// each other.
#include "core/manager/UIControl.h"

#include "core/effects/ActionValues.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIManager.h"
#include "core/manager/UITimer.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace UiLib {

namespace {

bool Is(const CUiString& text, const wchar_t* value) { return std::wcscmp(text, value) == 0; }

// One property as this control plays it.
struct PropertyRun {
    tagTProperty* property;
    bool loaded = false;
    INT32 start[4] = {};
    INT32 end[4] = {};
    CUiString imagePrefix;
    CUiString imageSuffix;
};

// One action name bound to the control: the group it plays, its timers
// (built on the first start and reused) and the run state of each property.
struct ActionRecord {
    CUiString name;
    tagTActionGroup* group = nullptr;
    std::vector<CUiTimerBase*> timers;
    std::vector<PropertyRun> runs;

    ~ActionRecord() {
        for (CUiTimerBase* timer : timers) delete timer;  // stops it
    }
    bool IsRunning() const {
        for (const CUiTimerBase* timer : timers)
            if (timer->IsRunning()) return true;
        return false;
    }
    void Stop() {
        for (CUiTimerBase* timer : timers) timer->Stop();
    }
};

// A timer needs a period: an interval of 0 ticks every millisecond.
int TickInterval(int interval) { return interval > 0 ? interval : 1; }

bool SameTiming(const tagTProperty& property, const tagTActionGroup& group) {
    return property.iInterval == group.iInterval && property.iTimer == group.iTimer &&
           property.bAutoStart == group.bAutoStart && property.bLoop == group.bLoop &&
           property.bReverse == group.bReverse;
}

// The image-string key a value type rewrites, or null.
const wchar_t* ImageKey(const CUiString& type) {
    if (Is(type, L"image.source")) return L"source='";
    if (Is(type, L"image.corner")) return L"corner='";
    if (Is(type, L"image.dest")) return L"dest='";
    if (Is(type, L"image.mask")) return L"make='";
    if (Is(type, L"image.fade")) return L"fade='";
    return nullptr;
}

bool IsRectType(const CUiString& type) {
    return Is(type, L"rect") || Is(type, L"image.source") || Is(type, L"image.corner") || Is(type, L"image.dest");
}
bool IsPairType(const CUiString& type) { return Is(type, L"point") || Is(type, L"size"); }

void ParseActionText(const tagTProperty& property, const wchar_t* text, INT32 (&value)[4]) {
    value[0] = value[1] = value[2] = value[3] = 0;
    if (IsRectType(property.sType) || IsPairType(property.sType)) {
        RECT rc = ActionValues::ParseRect(text);
        value[0] = rc.left;
        value[1] = rc.top;
        value[2] = rc.right;
        value[3] = rc.bottom;
    } else if (Is(property.sType, L"color")) {
        value[0] = static_cast<INT32>(ParseColorValue(text));
    } else {
        value[0] = ActionValues::ParseInt(text);
    }
}

// Calls the control's group starters for every notification and event; one
// per control, whatever number of groups it binds.
class ActionListener : public CDelegateBase {
public:
    explicit ActionListener(CControlUI* control, bool notify)
        : CDelegateBase(control, 0, nullptr), m_control(control), m_notify(notify) {
        SetHandlerBytes(&m_notify, sizeof(m_notify));
    }
    int HandlerShape() const override { return 3; }
    CDelegateBase* Copy() const override { return new ActionListener(*this); }
    // False: the notification is not consumed, so the window's notifiers still get it.
    bool Invoke(TNotifyUI& msg) override {
        if (m_notify) m_control->RunNotifyActions(msg);
        return false;
    }
    bool Invoke(TEventUI& event) override {
        if (!m_notify) m_control->RunEventActions(event);
        return true;
    }
    bool Invoke(void*) override { return true; }

private:
    CControlUI* m_control;
    bool m_notify;
};

ActionRecord* RecordOf(CStdStringPtrMap& map, const wchar_t* name) {
    return static_cast<ActionRecord*>(map.Find(name, false));
}

}  // namespace

void CControlUI::SetAction(const wchar_t* actionNames, CPaintManagerUI* manager) {
    CPaintManagerUI* pm = m_pManager ? m_pManager : manager;
    if (!pm || !actionNames) return;
    const wchar_t* cursor = actionNames;
    while (*cursor) {
        while (*cursor == L'|') ++cursor;
        const wchar_t* end = cursor;
        while (*end && *end != L'|') ++end;
        if (end == cursor) break;
        CUiString name;
        name.Assign(cursor, static_cast<int>(end - cursor));
        cursor = end;

        tagTActionGroup* group = pm->GetActionGroup(name);
        if (!group || group->aProperties.IsEmpty() || RecordOf(m_mActionNotifys, name)) continue;
        const bool notify = Is(group->sMsgType, L"notify") && !group->sNotifyType.IsEmpty();
        const bool event = !notify && Is(group->sMsgType, L"event") && group->iEventType >= 1;
        if (!notify && !event) continue;  // such a group could never start
        ActionRecord* record = new ActionRecord;
        record->name = name;
        record->group = group;
        if (!m_mActionNotifys.Insert(name, record)) {
            delete record;
            continue;
        }
        if (notify)
            NotifyListeners += ActionListener(this, true);
        else
            EventListeners += ActionListener(this, false);
    }
}

void CControlUI::RunNotifyActions(TNotifyUI& msg) {
    for (int i = 0; i < m_mActionNotifys.GetSize(); ++i) {
        ActionRecord* record = RecordOf(m_mActionNotifys, m_mActionNotifys.GetAt(i));
        if (record && Is(record->group->sMsgType, L"notify")) OnAGroupNotify(msg, record->group);
    }
}

void CControlUI::RunEventActions(TEventUI& event) {
    for (int i = 0; i < m_mActionNotifys.GetSize(); ++i) {
        ActionRecord* record = RecordOf(m_mActionNotifys, m_mActionNotifys.GetAt(i));
        if (record && Is(record->group->sMsgType, L"event")) OnAGroupEvent(event, record->group);
    }
}

const wchar_t* CControlUI::GetRunningActionName() const {
    const ActionRecord* running = static_cast<const ActionRecord*>(m_pRunningAction);
    return running && running->IsRunning() ? running->name.GetData() : nullptr;
}

bool CControlUI::OnAGroupNotify(TNotifyUI& msg, tagTActionGroup* group) {
    if (group && group->sNotifyType == msg.sType) StartActionGroup(group);
    return true;
}

bool CControlUI::OnAGroupEvent(TEventUI& event, tagTActionGroup* group) {
    // Only the group's own event starts it.
    if (group && group->iEventType >= 1 && event.Type == group->iEventType) StartActionGroup(group);
    return true;
}

void CControlUI::StartActionGroup(tagTActionGroup* group) {
    ActionRecord* record = RecordOf(m_mActionNotifys, group->sName);
    if (!record || record->name != group->sName || record->group != group) return;
    ActionRecord* running = static_cast<ActionRecord*>(m_pRunningAction);
    if (running == record && record->IsRunning()) return;
    if (running) running->Stop();

    if (record->timers.empty()) {
        record->timers.push_back(new TUiTimer<CControlUI, CControlUI, tagTActionGroup*>(
            this, &CControlUI::OnGroupActionTimer, group, TickInterval(group->iInterval), group->iTimer,
            group->bAutoStart, group->bLoop, group->bReverse));
        for (int i = 0; i < group->aProperties.GetSize(); ++i) {
            tagTProperty* property = static_cast<tagTProperty*>(group->aProperties.GetAt(i));
            record->runs.push_back(PropertyRun{property});
            if (SameTiming(*property, *group)) continue;
            record->timers.push_back(new TUiTimer<CControlUI, CControlUI, tagTProperty*>(
                this, &CControlUI::OnPropertyActionTimer, property, TickInterval(property->iInterval), property->iTimer,
                property->bAutoStart, property->bLoop, property->bReverse));
        }
    }
    // Each run reads its missing ends and splits the image string afresh.
    for (PropertyRun& run : record->runs) {
        run.loaded = false;
        run.imagePrefix.Empty();
        run.imageSuffix.Empty();
    }
    m_pRunningAction = record;
    for (CUiTimerBase* timer : record->timers) timer->Start();
}

void CControlUI::FreeActions() {
    m_pRunningAction = nullptr;
    for (int i = 0; i < m_mActionNotifys.GetSize(); ++i)
        delete RecordOf(m_mActionNotifys, m_mActionNotifys.GetAt(i));
    m_mActionNotifys.RemoveAll();
}

void CControlUI::OnGroupActionTimer(IUiTimer* timer, tagTActionGroup* group) {
    if (!group) return;
    for (int i = 0; i < group->aProperties.GetSize(); ++i) {
        tagTProperty* property = static_cast<tagTProperty*>(group->aProperties.GetAt(i));
        if (SameTiming(*property, *group)) OnPropertyActionTimer(timer, property);
    }
}

namespace {

PropertyRun* RunOf(void* running, const tagTProperty* property) {
    ActionRecord* record = static_cast<ActionRecord*>(running);
    if (!record || !property) return nullptr;
    for (PropertyRun& run : record->runs)
        if (run.property == property) return &run;
    return nullptr;
}

// The value of this frame; `readCurrent` gives the attribute's value for an
// end written as "none" ("none" at either end stands for the attribute's
// value when the run begins).
template <class ReadCurrent>
void FrameValue(PropertyRun& run, IUiTimer& timer, ReadCurrent readCurrent, INT32 (&value)[4]) {
    const tagTProperty& property = *run.property;
    const int frames = ActionValues::FrameCount(timer.GetTotalTimer(), timer.GetInterval());
    const int frame = ActionValues::FrameAt(timer.GetCurTimer(), timer.GetInterval(), frames);
    if (!run.loaded) {
        INT32 current[4] = {};
        readCurrent(current);
        if (Is(property.sStartValue, L"none"))
            std::memcpy(run.start, current, sizeof(current));
        else
            ParseActionText(property, property.sStartValue, run.start);
        if (Is(property.sEndValue, L"none"))
            std::memcpy(run.end, current, sizeof(current));
        else
            ParseActionText(property, property.sEndValue, run.end);
        run.loaded = true;
    }
    value[0] = value[1] = value[2] = value[3] = 0;
    if (IsRectType(property.sType)) {
        RECT rc = ActionValues::StepRect(RECT{run.start[0], run.start[1], run.start[2], run.start[3]},
                                         RECT{run.end[0], run.end[1], run.end[2], run.end[3]}, frame, frames);
        value[0] = rc.left;
        value[1] = rc.top;
        value[2] = rc.right;
        value[3] = rc.bottom;
    } else if (IsPairType(property.sType)) {
        SIZE size = ActionValues::StepSize(SIZE{run.start[0], run.start[1]}, SIZE{run.end[0], run.end[1]}, frame,
                                           frames);
        value[0] = size.cx;
        value[1] = size.cy;
    } else if (Is(property.sType, L"color")) {
        value[0] = static_cast<INT32>(ActionValues::StepColor(static_cast<DWORD>(run.start[0]),
                                                              static_cast<DWORD>(run.end[0]), frame, frames));
    } else {
        value[0] = ActionValues::StepInt(run.start[0], run.end[0], frame, frames);
    }
}

// The number that follows the property's key in an image description.
void ReadImageValue(const tagTProperty& property, const wchar_t* image, INT32 (&value)[4]) {
    value[0] = value[1] = value[2] = value[3] = 0;
    const wchar_t* key = ImageKey(property.sType);
    CUiString prefix, text, suffix;
    if (key && ActionValues::SplitImageValue(image, key, prefix, text, suffix)) ParseActionText(property, text, value);
}

}  // namespace

void CControlUI::OnPropertyActionTimer(IUiTimer* timer, tagTProperty* property) {
    if (!property) return;
    if (ImageKey(property->sType)) {
        CUiString image;
        if (Is(property->sName, L"bkimage") && NextActionImage(timer, property, GetBkImage(), image))
            SetBkImage(image);
        return;
    }
    PropertyRun* run = RunOf(m_pRunningAction, property);
    if (!timer || !run) return;
    INT32 value[4] = {};
    FrameValue(*run, *timer, [this, property](INT32 (&current)[4]) { ReadActionValue(*property, current); }, value);
    WriteActionValue(*property, value);
}

bool CControlUI::NextActionImage(IUiTimer* timer, tagTProperty* property, const wchar_t* image, CUiString& next) {
    const wchar_t* key = property ? ImageKey(property->sType) : nullptr;
    PropertyRun* run = RunOf(m_pRunningAction, property);
    if (!timer || !key || !run) return false;
    INT32 value[4] = {};
    FrameValue(*run, *timer, [property, image](INT32 (&current)[4]) { ReadImageValue(*property, image, current); },
               value);
    // The string is split once per run; later frames reuse its two ends.
    if (run->imagePrefix.IsEmpty() || run->imageSuffix.IsEmpty()) {
        CUiString old;
        if (!ActionValues::SplitImageValue(image, key, run->imagePrefix, old, run->imageSuffix)) return false;
    }
    wchar_t number[64] = {};
    if (IsRectType(property->sType))
        std::swprintf(number, 64, L"%d,%d,%d,%d", value[0], value[1], value[2], value[3]);
    else
        std::swprintf(number, 64, L"%d", value[0]);
    next = run->imagePrefix;
    next += number;
    next += run->imageSuffix;
    return true;
}

void CControlUI::ReadActionValue(const tagTProperty& property, INT32 (&value)[4]) {
    value[0] = value[1] = value[2] = value[3] = 0;
    const CUiString& name = property.sName;
    auto fromRect = [&value](const RECT& rc) {
        value[0] = rc.left;
        value[1] = rc.top;
        value[2] = rc.right;
        value[3] = rc.bottom;
    };
    if (Is(name, L"width")) value[0] = GetFixedWidth();
    else if (Is(name, L"height")) value[0] = GetFixedHeight();
    else if (Is(name, L"bkcolor") || Is(name, L"bkcolor1")) value[0] = static_cast<INT32>(m_dwBackColor);
    else if (Is(name, L"bkcolor2")) value[0] = static_cast<INT32>(m_dwBackColor2);
    else if (Is(name, L"bkcolor3")) value[0] = static_cast<INT32>(m_dwBackColor3);
    else if (Is(name, L"disabledbkcolor")) value[0] = static_cast<INT32>(m_dwDisabledBkColor);
    else if (Is(name, L"bordercolor")) value[0] = static_cast<INT32>(m_dwBorderColor);
    else if (Is(name, L"focusbordercolor")) value[0] = static_cast<INT32>(m_dwFocusBorderColor);
    else if (Is(name, L"pos")) fromRect(GetPos());
    else if (Is(name, L"padding")) fromRect(GetPadding());
    else if (Is(name, L"borderround")) {
        value[0] = m_cxyBorderRound.cx;
        value[1] = m_cxyBorderRound.cy;
    } else if (Is(name, L"bkimage")) {
        ReadImageValue(property, GetBkImage(), value);
    }
}

void CControlUI::WriteActionValue(const tagTProperty& property, const INT32 (&value)[4]) {
    const CUiString& name = property.sName;
    const CUiString& type = property.sType;
    const DWORD color = static_cast<DWORD>(value[0]);
    const RECT rc = {value[0], value[1], value[2], value[3]};
    if (Is(type, L"int")) {
        if (Is(name, L"width")) SetFixedWidth(value[0]);
        else if (Is(name, L"height")) SetFixedHeight(value[0]);
    } else if (Is(type, L"color")) {
        if (Is(name, L"bkcolor") || Is(name, L"bkcolor1")) SetBkColor(color);
        else if (Is(name, L"bkcolor2")) SetBkColor2(color);
        else if (Is(name, L"bkcolor3")) SetBkColor3(color);
        else if (Is(name, L"disabledbkcolor")) SetDisabledBkColor(color);
        else if (Is(name, L"bordercolor")) SetBorderColor(color);
        else if (Is(name, L"focusbordercolor")) SetFocusBorderColor(color);
    } else if (Is(type, L"rect")) {
        if (Is(name, L"pos")) SetPos(rc);
        else if (Is(name, L"padding")) SetPadding(rc);
    } else if (IsPairType(type)) {
        if (Is(name, L"borderround")) SetBorderRound(SIZE{value[0], value[1]});
    }
}

}  // namespace UiLib
