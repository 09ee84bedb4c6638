// CUIAnimation: numbered, timer-driven frame animations of one control. Each
// animation runs on the owner's paint-manager timer of the same id; every tick
// calls the step hook with the current frame, and the begin and stop hooks at
// the ends of a cycle. Controls inherit it beside their control base.
#pragma once
#include "core/manager/UIControl.h"
#include "core/base/UiLibApi.h"

#include <vector>

namespace UiLib {

class UILIB_API IUIAnimation {
public:
    virtual ~IUIAnimation() = default;
    virtual bool StartAnimation(int elapse, int totalFrames, int animationId, bool loop = false) = 0;
    virtual void StopAnimation(int animationId = 0) = 0;
    virtual bool IsAnimating(int animationId) = 0;
    virtual int CurrentFrame(int animationId = 0) = 0;
    virtual bool SetFrame(int frame, int animationId) = 0;
    virtual void OnAnimationStep(int totalFrames, int currentFrame, int animationId) = 0;
    virtual void OnAnimationBegin(int animationId, bool firstLoop) = 0;
    virtual void OnAnimationStop(int animationId) = 0;
    virtual void OnAnimationTimer(int animationId) = 0;
};

class UILIB_API CUIAnimation : public IUIAnimation {
public:
    explicit CUIAnimation(CControlUI* owner);
    CUIAnimation(const CUIAnimation&) = delete;
    CUIAnimation& operator=(const CUIAnimation&) = delete;
    ~CUIAnimation() override;

    bool StartAnimation(int elapse, int totalFrames, int animationId, bool loop = false) override;
    void StopAnimation(int animationId = 0) override;
    bool IsAnimating(int animationId) override;
    int CurrentFrame(int animationId = 0) override;
    bool SetFrame(int frame, int animationId) override;
    void OnAnimationStep(int totalFrames, int currentFrame, int animationId) override;
    void OnAnimationBegin(int animationId, bool firstLoop) override;
    void OnAnimationStop(int animationId) override;
    void OnAnimationTimer(int animationId) override;

private:
    struct Record {
        int id;
        int elapse;
        int totalFrames;
        int currentFrame;
        bool loop;
        bool firstLoop;
        unsigned serial;  // tells a restarted animation from the one a hook replaced
    };
    // Index of the record with this id and (when non-zero) this serial, or -1.
    int Find(int animationId, unsigned serial = 0) const;
    void KillTimer(int animationId);

    CControlUI* m_pOwner;
    std::vector<Record> m_records;
    unsigned m_nextSerial = 1;
};

}  // namespace UiLib
