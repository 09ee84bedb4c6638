// CGifAnimUI: plays an animated GIF (or shows any picture GDI+ reads)
// stretched over the control, stepping frames on the manager's timer 100 by
// each frame's own delay.
#pragma once
#include "core/manager/UIControl.h"

#include <vector>

struct IStream;

namespace UiLib {

class UILIB_API CGifAnimUI : public CControlUI {
public:
    enum { GIF_TIMER_ID = 100 };

    CGifAnimUI();
    ~CGifAnimUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetVisible(bool visible = true) override;
    void DoInit() override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    void SetBkImage(const wchar_t* name);
    const wchar_t* GetBkImage() const { return m_sImageName; }
    void SetAutoPlay(bool autoPlay = true) { m_bAutoPlay = autoPlay; }
    bool IsAutoPlay() const { return m_bAutoPlay; }
    void SetAutoSize(bool autoSize = true) { m_bAutoSize = autoSize; }
    bool IsAutoSize() const { return m_bAutoSize; }
    void PlayGif();
    void StopGif();

    bool IsPlaying() const { return m_bPlaying; }
    UINT GetFrameCount() const { return m_nFrameCount; }
    UINT GetCurrentFrame() const { return m_nFramePosition; }
    // How long the frame shows, in milliseconds (100 when the file says 0).
    UINT FrameDelay(UINT frame) const;

private:
    void InitGifImage();
    void DeleteGif();
    void OnTimer();
    void DrawFrame(HDC hDC);
    // Frames can advance only with more than one frame and their delays.
    bool IsAnimated() const;
    bool LoadGifFromFile(const wchar_t* name);
    bool LoadGifFromMemory(const std::vector<BYTE>& bytes);

    void* m_pGifImage = nullptr;  // GDI+ image
    IStream* m_pStream = nullptr;  // the bytes the image reads from
    UINT m_nFrameCount = 0;
    UINT m_nFramePosition = 0;
    std::vector<UINT> m_frameDelays;  // hundredths of a second, one per frame
    CUiString m_sImageName;
    bool m_bAutoPlay = true;
    bool m_bAutoSize = false;
    bool m_bPlaying = false;
};

}  // namespace UiLib
