// CContainerUI: a control that owns an ordered list of children, places them
// inside its inset, paints them clipped to its client area, routes hit tests
// through them and shifts them by its optional scroll bars.
#pragma once
#include "core/base/StdArrays.h"
#include "core/manager/UIControl.h"

namespace UiLib {

class CScrollBarUI;

class UILIB_API IContainerUI {
public:
    virtual CControlUI* GetItemAt(int index) const = 0;
    virtual int GetItemIndex(CControlUI* control) const = 0;
    virtual bool SetItemIndex(CControlUI* control, int index) = 0;
    virtual int GetCount() const = 0;
    virtual bool Add(CControlUI* control) = 0;
    virtual bool AddAt(CControlUI* control, int index) = 0;
    virtual bool Remove(CControlUI* control) = 0;
    virtual bool RemoveAt(int index) = 0;
    virtual void RemoveAll() = 0;
};

class UILIB_API CContainerUI : public CControlUI, public IContainerUI {
public:
    CContainerUI();
    ~CContainerUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
    void SetPos(RECT rc) override;
    void SetVisible(bool visible = true) override;
    void SetInternVisible(bool visible = true) override;
    void SetEnabled(bool enable = true) override;
    void SetMouseEnabled(bool enable = true) override;
    CControlUI* FindControl(FINDCONTROLPROC proc, LPVOID data, UINT flags) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

    CControlUI* GetItemAt(int index) const override;
    int GetItemIndex(CControlUI* control) const override;
    bool SetItemIndex(CControlUI* control, int index) override;
    int GetCount() const override;
    bool Add(CControlUI* control) override;
    bool AddAt(CControlUI* control, int index) override;
    bool Remove(CControlUI* control) override;
    bool RemoveAt(int index) override;
    void RemoveAll() override;

    virtual RECT GetInset() const;
    virtual void SetInset(RECT rcInset);
    virtual int GetChildPadding() const;
    virtual void SetChildPadding(int padding);
    virtual bool IsAutoDestroy() const;
    virtual void SetAutoDestroy(bool autoDestroy);
    virtual bool IsDelayedDestroy() const;
    virtual void SetDelayedDestroy(bool delayed);
    virtual bool IsMouseChildEnabled() const;
    virtual void SetMouseChildEnabled(bool enable = true);
    virtual int FindSelectable(int index, bool forward = true) const;
    virtual SIZE GetScrollPos() const;
    virtual SIZE GetScrollRange() const;
    virtual void SetScrollPos(SIZE szPos);
    virtual void SetScrollStepSize(int size);
    virtual int GetScrollStepSize() const;
    virtual void LineUp();
    virtual void LineDown();
    virtual void PageUp();
    virtual void PageDown();
    virtual void HomeUp();
    virtual void EndDown();
    virtual void LineLeft();
    virtual void LineRight();
    virtual void PageLeft();
    virtual void PageRight();
    virtual void HomeLeft();
    virtual void EndRight();
    virtual void EnableScrollBar(bool enableVertical = true, bool enableHorizontal = false);
    virtual CScrollBarUI* GetVerticalScrollBar() const;
    virtual CScrollBarUI* GetHorizontalScrollBar() const;

    // A descendant by name (searched through the manager's lookup rules).
    CControlUI* FindSubControl(const wchar_t* name);

protected:
    virtual void SetFloatPos(int index);
    virtual void ProcessScrollBar(RECT rc, int cxRequired, int cyRequired);

    // Own child i, whatever GetItemAt answers in a derived class (a list
    // answers its rows there, while its own children are header and body).
    CControlUI* ChildAt(int index) const { return static_cast<CControlUI*>(m_items.GetAt(index)); }
    // Item rectangle less the inset and the visible bars.
    RECT ClientRect() const;
    // Hands a removed child to the delayed cleanup or deletes it.
    void DisposeChild(CControlUI* control);
    bool InsertChild(CControlUI* control, int index);
    bool IsBarVisible(const CScrollBarUI* bar) const;
    int VerticalLineStep() const;
    int HorizontalLineStep() const;
    int VerticalPage() const;
    int HorizontalPage() const;
    void ScrollBy(int dx, int dy);
    // After the bars moved by (dx, dy): repaints the container and moves the
    // children the other way. Only those seen before or after are placed
    // again; the rest just shift, so a long list scrolls at the cost of the
    // rows in view.
    void ScrollChildren(int dx, int dy);

    friend class CControlUI;
    // The scroll bars and the visible children of a container that
    // CControlUI::ShiftUnseen moved.
    void ShiftContents(int dx, int dy);

    CStdPtrArray m_items;
    RECT m_rcInset = {0, 0, 0, 0};
    int m_iChildPadding = 0;
    bool m_bAutoDestroy = true;
    bool m_bDelayedDestroy = true;
    bool m_bMouseChildEnabled = true;
    bool m_bScrollProcess = false;
    int m_nScrollStepSize = 0;
    CScrollBarUI* m_pVerticalScrollBar = nullptr;
    CScrollBarUI* m_pHorizontalScrollBar = nullptr;
};

}  // namespace UiLib
