#include "core/window/UIDlgBuilder.h"

#include "controls/UIActiveX.h"
#include "controls/UIAnimationTabLayout.h"
#include "controls/UIChart.h"
#include "controls/UIChildLayout.h"
#include "controls/UICombo.h"
#include "controls/UIDateTime.h"
#include "controls/UIEdit.h"
#include "controls/UIFadeButton.h"
#include "controls/UIFlash.h"
#include "controls/UIGifAnim.h"
#include "controls/UIHorizontalLayout.h"
#include "controls/UIList.h"
#include "controls/UIListContainerElement.h"
#include "controls/UIListElement.h"
#include "controls/UIListHeader.h"
#include "controls/UIOption.h"
#include "controls/UIRichEdit.h"
#include "controls/UISlider.h"
#include "controls/UITabLayout.h"
#include "controls/UIText.h"
#include "controls/UITileLayout.h"
#include "controls/UITreeView.h"
#include "controls/UIVerticalLayout.h"
#include "controls/UIWebBrowser.h"
#include "core/manager/UIAttributeValue.h"
#include "core/manager/UIContainer.h"
#include "core/manager/UIManager.h"
#include "core/manager/UIScrollBar.h"
#include "core/markup/UiResources.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace UiLib {

namespace {

bool Is(const wchar_t* a, const wchar_t* b) { return std::wcscmp(a, b) == 0; }

template <class T>
CControlUI* Make() {
    return new T;
}

// Every control class the library creates by element name. Menus are not
// among them: a menu window's own callback makes "Menu" and "MenuElement".
struct KnownClass {
    const wchar_t* element;
    CControlUI* (*create)();
};
const KnownClass kKnownClasses[] = {
    {L"Control", &Make<CControlUI>},
    {L"Container", &Make<CContainerUI>},
    {L"ScrollBar", &Make<CScrollBarUI>},
    {L"Label", &Make<CLabelUI>},
    {L"Text", &Make<CTextUI>},
    {L"Button", &Make<CButtonUI>},
    {L"FadeButton", &Make<CFadeButtonUI>},
    {L"Option", &Make<COptionUI>},
    {L"CheckBox", &Make<CCheckBoxUI>},
    {L"Progress", &Make<CProgressUI>},
    {L"Slider", &Make<CSliderUI>},
    {L"DateTime", &Make<CDateTimeUI>},
    {L"GifAnim", &Make<CGifAnimUI>},
    {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {L"VerticalLayout", &Make<CVerticalLayoutUI>},
    {L"TileLayout", &Make<CTileLayoutUI>},
    {L"ChildLayout", &Make<CChildLayoutUI>},
    {L"TabLayout", &Make<CTabLayoutUI>},
    {L"AnimationTabLayout", &Make<CAnimationTabLayoutUI>},
    {L"List", &Make<CListUI>},
    {L"ListHeader", &Make<CListHeaderUI>},
    {L"ListHeaderItem", &Make<CListHeaderItemUI>},
    {L"ListLabelElement", &Make<CListLabelElementUI>},
    {L"ListTextElement", &Make<CListTextElementUI>},
    {L"ListImageTextElement", &Make<CListImageTextElementUI>},
    {L"ListContainerElement", &Make<CListContainerElementUI>},
    {L"TreeView", &Make<CTreeViewUI>},
    {L"TreeNode", &Make<CTreeNodeUI>},
    {L"ChartView", &Make<CChartViewUI>},
    {L"ActiveX", &Make<CActiveXUI>},
    {L"Flash", &Make<CFlashUI>},
    {L"WebBrowser", &Make<CWebBrowserUI>},
    {L"Edit", &Make<CEditUI>},
    {L"Combo", &Make<CComboUI>},
    {L"ComboBox", &Make<CComboBoxUI>},
    {L"RichEdit", &Make<CRichEditUI>},
};

std::vector<LPCREATECONTROL>& Creators() {
    static std::vector<LPCREATECONTROL> creators;
    return creators;
}

// Elements the build reads at the root and the control pass skips.
bool IsResourceElement(const wchar_t* name) {
    static const wchar_t* const kResources[] = {L"Image", L"Font", L"Default", L"EffectsStyles", L"Styles",
                                                L"ActionScript"};
    for (const wchar_t* resource : kResources)
        if (Is(name, resource)) return true;
    return false;
}

}  // namespace

void CDialogBuilder::AddCreator(LPCREATECONTROL creator) {
    if (creator) Creators().push_back(creator);
}

void CDialogBuilder::RemoveCreator(LPCREATECONTROL creator) {
    auto& creators = Creators();
    for (auto it = creators.begin(); it != creators.end(); ++it) {
        if (*it == creator) {
            creators.erase(it);
            return;
        }
    }
}

CControlUI* CDialogBuilder::CreateKnownControl(const wchar_t* pstrClass) {
    if (!pstrClass) return nullptr;
    for (const KnownClass& known : kKnownClasses)
        if (Is(pstrClass, known.element)) return known.create();
    return nullptr;
}

CControlUI* CDialogBuilder::CreateControl(const wchar_t* pstrClass) const {
    if (CControlUI* control = CreateKnownControl(pstrClass)) return control;
    for (LPCREATECONTROL creator : Creators())
        if (CControlUI* control = creator(pstrClass)) return control;
    return m_pCallback ? m_pCallback->CreateControl(pstrClass) : nullptr;
}

bool CDialogBuilder::LoadResource(const wchar_t* id, const wchar_t* type) {
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    return UiResources::LoadModuleResource(CPaintManagerUI::GetResourceInstance(), id, type, bytes, size) && m_xml.LoadFromBytes(bytes, size);
}

CControlUI* CDialogBuilder::Create(STRINGorID xml, const wchar_t* type, IDialogBuilderCallback* pCallback,
                                   CPaintManagerUI* pManager, CControlUI* pParent) {
    if (xml.IsId()) {
        if (!LoadResource(xml.m_lpstr, type)) return nullptr;
        m_pstrtype = type;
    } else {
        if (!xml.m_lpstr) return nullptr;
        bool loaded = xml.m_lpstr[0] == L'<' ? m_xml.Load(xml.m_lpstr) : m_xml.LoadFromFile(xml.m_lpstr);
        if (!loaded) return nullptr;
    }
    return Create(pCallback, pManager, pParent);
}

CControlUI* CDialogBuilder::Create(IDialogBuilderCallback* pCallback, CPaintManagerUI* pManager,
                                   CControlUI* pParent) {
    m_pCallback = pCallback;
    CMarkupItem root = m_xml.Root();
    if (!root.IsValid()) return nullptr;
    if (pManager) {
        ReadResources(root, pManager);
        if (Is(root.Name(), L"Window")) ApplyWindowAttributes(root, pManager);
        if (pManager->GetCurrentStyleSheet().IsEmpty()) {
            if (const wchar_t* first = pManager->GetFirstStyleSheetName()) pManager->SetCurrentStyles(first, true);
        }
    }
    return ParseChildren(&root, pParent, pManager);
}

void CDialogBuilder::GetLastErrorMessage(wchar_t* pstrMessage, SIZE_T cchMax) const {
    m_xml.LastErrorMessage(pstrMessage, cchMax);
}

void CDialogBuilder::GetLastErrorLocation(wchar_t* pstrSource, SIZE_T cchMax) const {
    m_xml.LastErrorLocation(pstrSource, cchMax);
}

void CDialogBuilder::ReadResources(CMarkupItem& root, CPaintManagerUI* manager) {
    for (CMarkupItem node = root.Child(); node.IsValid(); node = node.Sibling()) {
        const wchar_t* name = node.Name();
        if (Is(name, L"Image")) {
            const wchar_t* image = node.AttributeValue(L"name");
            if (!image || !*image) continue;
            const wchar_t* restype = node.AttributeValue(L"restype");
            const wchar_t* mask = node.AttributeValue(L"mask");
            manager->AddImage(image, restype && *restype ? restype : nullptr, mask ? ParseColorValue(mask) : 0);
        } else if (Is(name, L"Font")) {
            const wchar_t* face = node.AttributeValue(L"name");
            if (!face || !*face) continue;
            int points = node.HasAttribute(L"size") ? ParseIntValue(node.AttributeValue(L"size")) : 12;
            auto flag = [&node](const wchar_t* key) {
                const wchar_t* value = node.AttributeValue(key);
                return value && ParseBoolValue(value);
            };
            bool bold = flag(L"bold"), underline = flag(L"underline"), italic = flag(L"italic");
            manager->AddFont(face, points, bold, underline, italic);
            if (flag(L"default")) manager->SetDefaultFont(face, points, bold, underline, italic);
        } else if (Is(name, L"Default")) {
            const wchar_t* element = node.AttributeValue(L"name");
            const wchar_t* value = node.AttributeValue(L"value");
            if (node.HasAttribute(L"name") && node.HasAttribute(L"value")) manager->AddDefaultAttributeList(element, value);
        } else if (Is(name, L"Styles")) {
            ReadStyles(node, manager);
        } else if (Is(name, L"EffectsStyles")) {
            ReadEffectsStyles(node, manager);
        } else if (Is(name, L"ActionScript")) {
            ReadActionScript(node, manager);
        }
    }
}

namespace {

// Stores the attributes of each "Style" child of `parent` into a style group.
void StoreStyles(CMarkupItem parent, CPaintManagerUI* manager, const wchar_t* group) {
    for (CMarkupItem style = parent.Child(); style.IsValid(); style = style.Sibling()) {
        if (!Is(style.Name(), L"Style")) continue;
        const wchar_t* styleName = style.AttributeValue(L"stylename");
        if (!styleName || !*styleName) continue;
        for (int i = 0; i < style.AttributeCount(); ++i) {
            const wchar_t* attribute = style.AttributeName(i);
            if (Is(attribute, L"stylename")) continue;
            manager->AddStyleAttribute(group, styleName, attribute, style.AttributeValue(i));
        }
    }
}

}  // namespace

void CDialogBuilder::ReadStyles(CMarkupItem& node, CPaintManagerUI* manager) {
    CUiString group;
    bool makeCurrent = false;
    for (int i = 0; i < node.AttributeCount(); ++i) {
        const wchar_t* key = node.AttributeName(i);
        const wchar_t* value = node.AttributeValue(i);
        if (Is(key, L"name")) {
            group = value;
        } else if (Is(key, L"default")) {
            makeCurrent = ParseBoolValue(value);
        } else if (Is(key, L"inherit")) {
            CStdStringPtrMap* base = manager->GetStyleSheet(value);
            if (!base || base == manager->GetStyleSheet(group)) continue;
            for (int s = 0; s < base->GetSize(); ++s) {
                const wchar_t* styleName = base->GetAt(s);
                auto* attributes = styleName ? static_cast<CStdStringPtrMap*>(base->Find(styleName, false)) : nullptr;
                if (!attributes) continue;
                for (int a = 0; a < attributes->GetSize(); ++a) {
                    const wchar_t* attribute = attributes->GetAt(a);
                    auto* text = attribute ? static_cast<CUiString*>(attributes->Find(attribute, false)) : nullptr;
                    if (text) manager->AddStyleAttribute(group, styleName, attribute, *text);
                }
            }
        } else if (Is(key, L"stylefile")) {
            CMarkup file;
            if (file.LoadFromFile(value)) StoreStyles(file.Root(), manager, group);
        }
    }
    StoreStyles(node, manager, group);
    if (makeCurrent && !group.IsEmpty()) manager->SetCurrentStyles(group, true);
}

void CDialogBuilder::ReadEffectsStyles(CMarkupItem& node, CPaintManagerUI* manager) {
    auto store = [manager](CMarkupItem parent) {
        for (CMarkupItem style = parent.Child(); style.IsValid(); style = style.Sibling()) {
            if (!Is(style.Name(), L"EffectsStyle")) continue;
            const wchar_t* name = style.AttributeValue(L"name");
            const wchar_t* value = style.AttributeValue(L"value");
            if (style.HasAttribute(L"name") && style.HasAttribute(L"value")) manager->AddEffectsStyle(name, value);
        }
    };
    const wchar_t* file = node.AttributeValue(L"stylefile");
    if (*file) {
        CMarkup markup;
        if (markup.LoadFromFile(file)) store(markup.Root());
    }
    store(node);
}

void CDialogBuilder::ApplyWindowAttributes(CMarkupItem& root, CPaintManagerUI* manager) {
    for (int i = 0; i < root.AttributeCount(); ++i) {
        const wchar_t* key = root.AttributeName(i);
        const wchar_t* value = root.AttributeValue(i);
        if (Is(key, L"size")) {
            SIZE size = ParseSizeValue(value);
            manager->SetInitSize(size.cx, size.cy);
            HWND window = manager->GetPaintWindow();
            if (window && !manager->GetRoot())
                ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        } else if (Is(key, L"sizebox")) {
            manager->SetSizeBox(ParseRectValue(value));
        } else if (Is(key, L"caption")) {
            manager->SetCaptionRect(ParseRectValue(value));
        } else if (Is(key, L"roundcorner")) {
            SIZE corner = ParseSizeValue(value);
            manager->SetRoundCorner(corner.cx, corner.cy);
        } else if (Is(key, L"mininfo")) {
            SIZE size = ParseSizeValue(value);
            manager->SetMinInfo(size.cx, size.cy);
        } else if (Is(key, L"maxinfo")) {
            SIZE size = ParseSizeValue(value);
            manager->SetMaxInfo(size.cx, size.cy);
        } else if (Is(key, L"alpha")) {
            manager->SetOpacity(ParseIntValue(value));
        } else if (Is(key, L"bktrans")) {
            manager->SetBackgroundTransparent(Is(value, L"true"));
        } else if (Is(key, L"gdiplustext")) {
            manager->SetUseGdiplusText(Is(value, L"true"));
        } else if (Is(key, L"disabledfontcolor")) {
            manager->SetDefaultDisabledColor(ParseColorValue(value));
        } else if (Is(key, L"defaultfontcolor")) {
            manager->SetDefaultFontColor(ParseColorValue(value));
        } else if (Is(key, L"linkfontcolor")) {
            manager->SetDefaultLinkFontColor(ParseColorValue(value));
        } else if (Is(key, L"linkhoverfontcolor")) {
            manager->SetDefaultLinkHoverFontColor(ParseColorValue(value));
        } else if (Is(key, L"selectedcolor")) {
            manager->SetDefaultSelectedBkColor(ParseColorValue(value));
        } else {
            ApplyShadowOrTrayAttribute(key, value, manager);
        }
    }
}

namespace {

// "true" or not, absent counting as not.
bool Flag(CMarkupItem& node, const wchar_t* key) {
    const wchar_t* value = node.AttributeValue(key);
    return value && Is(value, L"true");
}

// A decimal attribute, or `fallback` when it is absent.
int Number(CMarkupItem& node, const wchar_t* key, int fallback) {
    return node.HasAttribute(key) ? ParseIntValue(node.AttributeValue(key)) : fallback;
}

}  // namespace

void CDialogBuilder::ReadActionScript(CMarkupItem& node, CPaintManagerUI* manager) {
    for (CMarkupItem group = node.Child(); group.IsValid(); group = group.Sibling()) {
        if (!Is(group.Name(), L"AGroup")) continue;
        if (!group.HasAttribute(L"name") || !group.HasAttribute(L"msgtype") || !group.HasAttribute(L"msgvalue"))
            continue;
        CUiString name = group.AttributeValue(L"name");
        CUiString msgType = group.AttributeValue(L"msgtype");
        CUiString msgValue = group.AttributeValue(L"msgvalue");
        const int interval = Number(group, L"defaultinterval", 0);
        const int total = Number(group, L"defaulttimer", 0);
        const bool autoStart = Flag(group, L"defaultautostart");
        const bool loop = Flag(group, L"defaultloop");
        const bool reverse = Flag(group, L"defaultreverse");
        bool created = false;
        if (Is(msgType, L"notify"))
            created = manager->AddActionGroupNotify(name, msgValue, interval, total, autoStart, loop, reverse);
        else if (Is(msgType, L"event"))
            created = manager->AddActionGroupEvent(name, ParseIntValue(msgValue), interval, total, autoStart, loop,
                                                   reverse);
        if (!created) continue;
        for (CMarkupItem property = group.Child(); property.IsValid(); property = property.Sibling()) {
            if (!Is(property.Name(), L"Property")) continue;
            if (!property.HasAttribute(L"name") || !property.HasAttribute(L"type") ||
                !property.HasAttribute(L"startvalue") || !property.HasAttribute(L"endvalue"))
                continue;
            CUiString start = property.AttributeValue(L"startvalue");
            CUiString end = property.AttributeValue(L"endvalue");
            if (start == end) continue;
            const int ownInterval = Number(property, L"interval", 0);
            const int ownTotal = Number(property, L"timer", 0);
            manager->AddPropertyAction(name, property.AttributeValue(L"name"), property.AttributeValue(L"type"), start,
                                       end, ownInterval > 0 ? ownInterval : interval,
                                       ownTotal > 0 ? ownTotal : total,
                                       property.HasAttribute(L"autostart") ? Flag(property, L"autostart") : autoStart,
                                       property.HasAttribute(L"loop") ? Flag(property, L"loop") : loop,
                                       property.HasAttribute(L"reverse") ? Flag(property, L"reverse") : reverse);
        }
    }
}

void CDialogBuilder::ApplyShadowOrTrayAttribute(const wchar_t* key, const wchar_t* value, CPaintManagerUI* manager) {
    CShadowUI* shadow = manager->GetShadow();
    if (Is(key, L"trayiconid")) {
        int id = ParseIntValue(value);
        if (id > 0) manager->GetTrayObject()->CreateTrayIcon(manager->GetPaintWindow(), static_cast<UINT>(id));
    } else if (Is(key, L"traytiptext")) {
        manager->GetTrayObject()->SetTooltipText(value);
    } else if (Is(key, L"shadowsize")) {
        int size = ParseIntValue(value);
        if (size <= 20) shadow->SetSize(size);
    } else if (Is(key, L"shadowsharpness")) {
        int sharpness = ParseIntValue(value);
        if (sharpness >= 0 && sharpness <= 20) shadow->SetSharpness(static_cast<unsigned int>(sharpness));
    } else if (Is(key, L"shadowdarkness")) {
        int darkness = ParseIntValue(value);
        if (darkness >= 0 && darkness <= 255) shadow->SetDarkness(static_cast<unsigned int>(darkness));
    } else if (Is(key, L"shadowposition")) {
        SIZE offset = ParseSizeValue(value);
        if (offset.cx <= 20) shadow->SetPosition(offset.cx, offset.cy);
    } else if (Is(key, L"shadowcolor")) {
        shadow->SetColor(ParseColorValue(value));
    } else if (Is(key, L"shadowcorner")) {
        shadow->SetShadowCorner(ParseRectValue(value));
    } else if (Is(key, L"shadowimage")) {
        shadow->SetImage(value);
    } else if (Is(key, L"showshadow")) {
        shadow->ShowShadow(Is(value, L"true"));
    }
}

void CDialogBuilder::Include(CMarkupItem& node, CControlUI* parent, CPaintManagerUI* manager) {
    wchar_t source[CMarkupItem::MAX_VALUE_BUFFER] = {};
    if (!node.AttributeValue(L"source", source, CMarkupItem::MAX_VALUE_BUFFER)) return;
    int count = node.HasAttribute(L"count") ? ParseIntValue(node.AttributeValue(L"count")) : 1;
    if (m_depth + 1 > MAX_INCLUDE_DEPTH) {
        ::OutputDebugStringW(L"UiLib: skin includes nest too deep; include skipped\n");
        return;
    }
    for (int i = 0; i < count; ++i) {
        CDialogBuilder builder;
        builder.m_depth = m_depth + 1;
        CControlUI* included =
            m_pstrtype ? builder.Create(STRINGorID(static_cast<UINT>(ParseIntValue(source))), m_pstrtype, m_pCallback,
                                        manager, parent)
                       : builder.Create(STRINGorID(source), nullptr, m_pCallback, manager, parent);
        // Without a parent nothing holds the included tree.
        if (!parent) delete included;
    }
}

void CDialogBuilder::ApplyAttributes(CMarkupItem& node, CControlUI* control, CPaintManagerUI* manager) {
    if (!node.HasAttributes()) return;
    control->SetStyleName(node.Name());
    const wchar_t* name = node.AttributeValue(L"name");
    if (name && *name) control->SetStyleName(name);
    if (node.HasAttribute(L"style")) control->SetStyleName(node.AttributeValue(L"style"), manager);
    for (int i = 0; i < node.AttributeCount(); ++i) {
        const wchar_t* key = node.AttributeName(i);
        if (!Is(key, L"style")) control->SetAttribute(key, node.AttributeValue(i));
    }
}

bool CDialogBuilder::ParseTreeNode(CMarkupItem& element, CControlUI* parent, CPaintManagerUI* manager) {
    CTreeNodeUI* parentNode = static_cast<CTreeNodeUI*>(parent->GetInterface(L"TreeNode"));
    CTreeViewUI* view = parentNode ? nullptr : static_cast<CTreeViewUI*>(parent->GetInterface(L"TreeView"));
    if (!parentNode && !view) return false;
    CTreeNodeUI* node = new CTreeNodeUI;
    // The node joins first, so that its own children go straight into the view.
    if (parentNode ? !parentNode->Add(node) : !view->AddNode(node)) {
        delete node;
        return true;
    }
    if (manager) {
        node->SetManager(manager, nullptr, false);
        if (const wchar_t* defaults = manager->GetDefaultAttributeList(L"TreeNode")) node->ApplyAttributeList(defaults);
    }
    for (int i = 0; i < element.AttributeCount(); ++i) node->SetAttribute(element.AttributeName(i), element.AttributeValue(i));
    ParseChildren(&element, node, manager);
    if (manager) node->SetManager(nullptr, nullptr, false);
    return true;
}

CControlUI* CDialogBuilder::ParseChildren(CMarkupItem* pRoot, CControlUI* pParent, CPaintManagerUI* pManager) {
    if (!pRoot) return nullptr;
    IContainerUI* container = nullptr;
    bool containerAsked = false;
    CControlUI* result = nullptr;
    for (CMarkupItem node = pRoot->Child(); node.IsValid(); node = node.Sibling()) {
        const wchar_t* name = node.Name();
        if (IsResourceElement(name)) continue;
        if (Is(name, L"Include")) {
            if (node.HasAttributes()) Include(node, pParent, pManager);
            continue;
        }
        if (pParent && Is(name, L"TreeNode")) {
            if (!ParseTreeNode(node, pParent, pManager)) return nullptr;
            continue;
        }
        CControlUI* control = CreateControl(name);
        if (!control) continue;
        ParseChildren(&node, control, pManager);
        if (CTreeNodeUI* treeNode = pParent ? static_cast<CTreeNodeUI*>(pParent->GetInterface(L"TreeNode")) : nullptr) {
            // A control inside a tree node joins the node's row.
            treeNode->GetRowLayout()->Add(control);
        } else if (pParent) {
            if (!containerAsked) {
                container = static_cast<IContainerUI*>(pParent->GetInterface(L"IContainer"));
                containerAsked = true;
            }
            if (!container) {
                delete control;  // nothing can hold it
                return nullptr;
            }
            if (!container->Add(control)) {
                delete control;
                continue;
            }
        }
        if (pManager) {
            control->SetManager(pManager, nullptr, false);
            if (const wchar_t* defaults = pManager->GetDefaultAttributeList(name)) control->ApplyAttributeList(defaults);
        }
        ApplyAttributes(node, control, pManager);
        if (pManager) control->SetManager(nullptr, nullptr, false);
        if (!result) {
            result = control;
        } else if (!pParent) {
            delete control;  // only the first top-level control is handed back; a later one would be lost
        }
    }
    return result;
}

}  // namespace UiLib
