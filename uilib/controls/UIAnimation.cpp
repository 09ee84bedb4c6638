#include "controls/UIAnimation.h"

#include "core/manager/UIManager.h"

namespace UiLib {

CUIAnimation::CUIAnimation(CControlUI* owner) : m_pOwner(owner) {}

CUIAnimation::~CUIAnimation() = default;

int CUIAnimation::Find(int animationId, unsigned serial) const {
    for (size_t i = 0; i < m_records.size(); ++i) {
        if (m_records[i].id == animationId && (serial == 0 || m_records[i].serial == serial))
            return static_cast<int>(i);
    }
    return -1;
}

void CUIAnimation::KillTimer(int animationId) {
    if (CPaintManagerUI* manager = m_pOwner ? m_pOwner->GetManager() : nullptr)
        manager->KillTimer(m_pOwner, static_cast<UINT>(animationId));
}

bool CUIAnimation::StartAnimation(int elapse, int totalFrames, int animationId, bool loop) {
    if (Find(animationId) >= 0 || elapse <= 0 || totalFrames <= 0 || !m_pOwner) return false;
    CPaintManagerUI* manager = m_pOwner->GetManager();
    if (!manager || !manager->SetTimer(m_pOwner, static_cast<UINT>(animationId), static_cast<UINT>(elapse)))
        return false;
    m_records.push_back(Record{animationId, elapse, totalFrames, 0, loop, true, m_nextSerial++});
    return true;
}

void CUIAnimation::StopAnimation(int animationId) {
    if (!m_pOwner) return;
    if (animationId == 0) {
        for (const Record& record : m_records) KillTimer(record.id);
        m_records.clear();
        return;
    }
    int index = Find(animationId);
    if (index < 0) return;
    KillTimer(animationId);
    m_records.erase(m_records.begin() + index);
}

bool CUIAnimation::IsAnimating(int animationId) { return Find(animationId) >= 0; }

int CUIAnimation::CurrentFrame(int animationId) {
    int index = Find(animationId);
    return index < 0 ? -1 : m_records[index].currentFrame;
}

bool CUIAnimation::SetFrame(int frame, int animationId) {
    int index = Find(animationId);
    if (index < 0 || frame < 0 || frame > m_records[index].totalFrames) return false;
    m_records[index].currentFrame = frame;
    return true;
}

void CUIAnimation::OnAnimationStep(int, int, int) {}
void CUIAnimation::OnAnimationBegin(int, bool) {}
void CUIAnimation::OnAnimationStop(int) {}

// A hook may stop or restart its own animation, so the record is looked up
// again (by id and serial) after every hook; when it is gone the tick ends.
void CUIAnimation::OnAnimationTimer(int animationId) {
    if (!m_pOwner) return;
    int index = Find(animationId);
    if (index < 0) return;
    const unsigned serial = m_records[index].serial;

    if (m_records[index].currentFrame == 0) {
        OnAnimationBegin(animationId, m_records[index].firstLoop);
        if ((index = Find(animationId, serial)) < 0) return;
        m_records[index].firstLoop = false;
    }

    Record step = m_records[index];
    OnAnimationStep(step.totalFrames, step.currentFrame, animationId);
    if ((index = Find(animationId, serial)) < 0) return;

    if (m_records[index].currentFrame >= m_records[index].totalFrames) {
        OnAnimationStop(animationId);
        if ((index = Find(animationId, serial)) < 0) return;
        if (!m_records[index].loop) {
            KillTimer(animationId);
            m_records.erase(m_records.begin() + index);
            return;
        }
        m_records[index].currentFrame = 0;
    }
    ++m_records[index].currentFrame;
}

}  // namespace UiLib
