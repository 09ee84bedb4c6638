// CTextUI: a label for longer, word-wrapped text whose markup may hold links;
// releasing the button over a link sends "link" with the link's index.
#pragma once
#include "controls/UILabel.h"

namespace UiLib {

class UILIB_API CTextUI : public CLabelUI {
public:
    enum { MAX_LINK = 8 };

    CTextUI();
    ~CTextUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    UINT GetControlFlags() const override;
    void DoEvent(TEventUI& event) override;
    SIZE EstimateSize(SIZE szAvailable) override;
    void PaintText(HDC hDC) override;

    int GetLinkCount() const { return m_nLinks; }
    CUiString GetLinkContent(int index) const;

private:
    // Index of the link under the point, or -1.
    int LinkAt(POINT pt) const;

    int m_nLinks = 0;
    RECT m_rcLinks[MAX_LINK] = {};
    CUiString m_sLinks[MAX_LINK];
    int m_nHoverLink = -1;
};

}  // namespace UiLib
