// CDialogBuilder turns a skin XML document into a tree of controls for one
// paint manager: it hands the skin's fonts, images, defaults and styles to the
// manager, applies the Window element's settings, then creates one control
// per element and attaches it to its parent.
#pragma once
#include "core/markup/Markup.h"
#include "core/manager/UIControl.h"
#include "core/base/UiLibApi.h"

#include <windows.h>

namespace UiLib {

class CPaintManagerUI;

// Asked for elements whose name the builder does not know.
class UILIB_API IDialogBuilderCallback {
public:
    virtual CControlUI* CreateControl(const wchar_t* pstrClass) = 0;
};

// A file name or XML text, or an integer resource id in the pointer's place.
class UILIB_API STRINGorID {
public:
    STRINGorID(const wchar_t* text) : m_lpstr(text) {}
    STRINGorID(UINT id) : m_lpstr(MAKEINTRESOURCEW(id)) {}
    bool IsId() const { return IS_INTRESOURCE(m_lpstr); }
    const wchar_t* m_lpstr;
};

// A creator makes a control for an element name, or answers null.
typedef CControlUI* (*LPCREATECONTROL)(const wchar_t* pstrClass);

class UILIB_API CDialogBuilder {
public:
    // Nested includes deeper than this are refused (a skin that includes itself).
    enum { MAX_INCLUDE_DEPTH = 16 };

    CDialogBuilder() = default;
    CDialogBuilder(const CDialogBuilder&) = delete;
    CDialogBuilder& operator=(const CDialogBuilder&) = delete;

    CControlUI* Create(STRINGorID xml, const wchar_t* type = nullptr, IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);
    CControlUI* Create(IDialogBuilderCallback* pCallback = nullptr, CPaintManagerUI* pManager = nullptr,
                       CControlUI* pParent = nullptr);

    CMarkup* GetMarkup() { return &m_xml; }
    void GetLastErrorMessage(wchar_t* pstrMessage, SIZE_T cchMax) const;
    void GetLastErrorLocation(wchar_t* pstrSource, SIZE_T cchMax) const;

    CControlUI* ParseChildren(CMarkupItem* pRoot, CControlUI* pParent = nullptr, CPaintManagerUI* pManager = nullptr);

    // The process-wide creator list, asked in registration order.
    static void AddCreator(LPCREATECONTROL creator);
    static void RemoveCreator(LPCREATECONTROL creator);
    // A control of a class the library knows, by its element name; null otherwise.
    static CControlUI* CreateKnownControl(const wchar_t* pstrClass);

private:
    bool LoadResource(const wchar_t* id, const wchar_t* type);
    void ReadResources(CMarkupItem& root, CPaintManagerUI* manager);
    void ApplyWindowAttributes(CMarkupItem& root, CPaintManagerUI* manager);
    void ReadStyles(CMarkupItem& node, CPaintManagerUI* manager);
    void ReadEffectsStyles(CMarkupItem& node, CPaintManagerUI* manager);
    void ReadActionScript(CMarkupItem& node, CPaintManagerUI* manager);
    void ApplyShadowOrTrayAttribute(const wchar_t* key, const wchar_t* value, CPaintManagerUI* manager);
    void Include(CMarkupItem& node, CControlUI* parent, CPaintManagerUI* manager);
    // A "TreeNode" element under a tree view or a tree node; false when the
    // parent is neither, which ends the parse of that level.
    bool ParseTreeNode(CMarkupItem& element, CControlUI* parent, CPaintManagerUI* manager);
    CControlUI* CreateControl(const wchar_t* pstrClass) const;
    void ApplyAttributes(CMarkupItem& node, CControlUI* control, CPaintManagerUI* manager);

    CMarkup m_xml;
    IDialogBuilderCallback* m_pCallback = nullptr;
    const wchar_t* m_pstrtype = nullptr;
    int m_depth = 0;  // include nesting of this builder's document
};

}  // namespace UiLib
