// COptionUI: a button with a selected state and its own selected images and
// colours; options sharing a group name in one window keep at most one
// selected. CCheckBoxUI is an option under its own class name.
#pragma once
#include "controls/UIButton.h"

namespace UiLib {

class UILIB_API COptionUI : public CButtonUI {
public:
    COptionUI();
    ~COptionUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    bool Activate() override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetEnabled(bool enable = true) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void PaintStatusImage(HDC hDC) override;
    void PaintText(HDC hDC) override;

    virtual void SetSelected(bool selected);

    bool IsSelected() const { return m_bSelected; }
    const wchar_t* GetGroup() const { return m_sGroupName; }
    void SetGroup(const wchar_t* groupName);

    const wchar_t* GetSelectedImage() const { return m_sSelectedImage; }
    void SetSelectedImage(const wchar_t* image);
    void SetSelectedHotImage(const wchar_t* image);
    void SetSelectedPushedImage(const wchar_t* image);
    void SetSelectedForeImage(const wchar_t* image);
    void SetOptionForeImage(const wchar_t* image);
    void SetSelectedBkColor(DWORD color);
    DWORD GetSelectedBkColor() const { return m_dwSelectedBkColor; }
    void SetSelectedTextColor(DWORD color);
    DWORD GetSelectedTextColor() const { return m_dwSelectedTextColor; }

private:
    // Draws a selected-state image; false (and the image emptied) when it fails.
    bool DrawSelectedImage(HDC hDC, CUiString& image);

    bool m_bSelected = false;
    CUiString m_sGroupName;
    DWORD m_dwSelectedBkColor = 0;
    DWORD m_dwSelectedTextColor = 0;
    CUiString m_sSelectedImage;
    CUiString m_sSelectedHotImage;
    CUiString m_sSelectedPushedImage;
    CUiString m_sOptionForeImage;
    CUiString m_sSelectedForeImage;
};

class UILIB_API CCheckBoxUI : public COptionUI {
public:
    const wchar_t* GetClass() const override;

    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check) { SetSelected(check); }
};

}  // namespace UiLib
