// The paint manager's resources: process-wide instance and skin source,
// per-window fonts, images, default attribute lists, effect styles, style
// sheets, option and action groups, window settings and default colours.
#include "core/manager/UIManager.h"

#include "core/effects/EffectSpooler.h"

#include "core/manager/UIAttributeValue.h"
#include "core/markup/UiResources.h"

#include <algorithm>
#include <cwchar>

#include <objidl.h>
#include <gdiplus.h>

namespace UiLib {

namespace {

struct ProcessState {
    HINSTANCE instance = nullptr;
    HINSTANCE resourceInstance = nullptr;
    CUiString defaultFontName;
};

ProcessState& Process() {
    static ProcessState state;
    return state;
}

// The stock GUI font's description with a face name copied in, bounded by
// the LOGFONT field.
LOGFONTW StockLogFont(const wchar_t* face) {
    LOGFONTW lf = {};
    ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    if (face && *face) ::lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return lf;
}

LOGFONTW DescribedFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    LOGFONTW lf = StockLogFont(face);
    lf.lfHeight = -size;
    if (bold) lf.lfWeight += FW_BOLD;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfItalic = italic ? TRUE : FALSE;
    return lf;
}

template <class T>
void DeleteValues(CStdStringPtrMap& map) {
    for (int i = 0; i < map.GetSize(); ++i) {
        const wchar_t* key = map.GetAt(i);
        if (key) delete static_cast<T*>(map.Find(key, false));
    }
    map.RemoveAll();
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() : m_pDefaultStyles(new CStdStringPtrMap(83)) {
    m_pCurrentStyles = m_pDefaultStyles;
    LOGFONTW lf = StockLogFont(Process().defaultFontName);
    m_DefaultFontInfo.hFont = ::CreateFontIndirectW(&lf);
    m_DefaultFontInfo.sFontName = lf.lfFaceName;
    m_DefaultFontInfo.iSize = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    m_DefaultFontInfo.bBold = lf.lfWeight >= FW_BOLD;
    m_DefaultFontInfo.bUnderline = lf.lfUnderline != FALSE;
    m_DefaultFontInfo.bItalic = lf.lfItalic != FALSE;
    Gdiplus::GdiplusStartupInput gdiplus;  // version 1
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplus, nullptr);
}

CPaintManagerUI::~CPaintManagerUI() {
    // An animation over this window cannot outlive it.
    if (m_hWndPaint && CEffectSpooler::Instance().GetWindow() == m_hWndPaint) CEffectSpooler::Instance().CleanUp();
    DrainDelayedCleanup();
    for (int i = 0; i < m_aAsyncNotify.GetSize(); ++i) delete static_cast<TNotifyUI*>(m_aAsyncNotify.GetAt(i));
    m_aAsyncNotify.Empty();
    delete m_pRoot;
    m_pRoot = nullptr;
    if (m_gdiplusToken) Gdiplus::GdiplusShutdown(m_gdiplusToken);
    if (m_DefaultFontInfo.hFont) ::DeleteObject(m_DefaultFontInfo.hFont);
    RemoveAllFonts();
    RemoveAllImages();
    RemoveAllDefaultAttributeList();
    RemoveAllEffectsStyle();
    RemoveAllOptionGroups();
    RemoveAllActionGroups();
    SetCurrentStyles(nullptr, false);
    RemoveAllStyleSheets();
    FreeStyleMap(m_pDefaultStyles);
    delete m_pDefaultStyles;
    RemoveAllTimers();
    if (m_hwndTooltip) ::DestroyWindow(m_hwndTooltip);
    ReleaseOffscreen();
    if (m_hDcPaint) ::ReleaseDC(m_hWndPaint, m_hDcPaint);
    CStdPtrArray& managers = ManagerList();
    int index = managers.Find(this);
    if (index >= 0) managers.Remove(index);
}

// ---- process-wide ----

HINSTANCE CPaintManagerUI::GetInstance() { return Process().instance; }
void CPaintManagerUI::SetInstance(HINSTANCE instance) { Process().instance = instance; }

HINSTANCE CPaintManagerUI::GetResourceInstance() {
    return Process().resourceInstance ? Process().resourceInstance : Process().instance;
}

void CPaintManagerUI::SetResourceInstance(HINSTANCE instance) { Process().resourceInstance = instance; }

CUiString CPaintManagerUI::GetInstancePath() {
    if (!Process().instance) return CUiString();
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = ::GetModuleFileNameW(Process().instance, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return CUiString();
    wchar_t* slash = std::wcsrchr(path, L'\\');
    if (slash) slash[1] = L'\0';
    return CUiString(path);
}

const wchar_t* CPaintManagerUI::GetResourcePath() { return UiResources::ResourcePath(); }
void CPaintManagerUI::SetResourcePath(const wchar_t* path) { UiResources::SetResourcePath(path); }
const wchar_t* CPaintManagerUI::GetResourceZip() { return UiResources::ResourceZipName(); }
bool CPaintManagerUI::IsCachedResourceZip() { return UiResources::IsZipKeptOpen(); }
HZIP CPaintManagerUI::GetResourceZipHandle() { return UiResources::KeptZip(); }
void CPaintManagerUI::SetResourceZip(const wchar_t* zipName, bool keepOpen) {
    UiResources::SetResourceZip(zipName, keepOpen);
}
void CPaintManagerUI::SetResourceZipBuffer(const void* bytes, DWORD length) {
    UiResources::SetResourceZipBuffer(bytes, length);
}
void CPaintManagerUI::SetDefaultFontName(const wchar_t* face) { Process().defaultFontName = face; }

// ---- parent chain ----

bool CPaintManagerUI::SetParentManager(CPaintManagerUI* parent) {
    for (CPaintManagerUI* p = parent; p; p = p->m_pParentResourcePM)
        if (p == this) return false;
    m_pParentResourcePM = parent;
    return true;
}

const CPaintManagerUI* CPaintManagerUI::TopManager() const {
    const CPaintManagerUI* top = this;
    while (top->m_pParentResourcePM) top = top->m_pParentResourcePM;
    return top;
}

// ---- fonts ----

TFontInfo* CPaintManagerUI::MeasuredFont(TFontInfo* info) {
    if (info->tm.tmHeight == 0 && info->hFont) {
        HDC dc = m_hDcPaint ? m_hDcPaint : TopManager()->m_hDcPaint;
        if (dc) {
            HGDIOBJ old = ::SelectObject(dc, info->hFont);
            ::GetTextMetricsW(dc, &info->tm);
            ::SelectObject(dc, old);
        }
    }
    return info;
}

void CPaintManagerUI::SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    LOGFONTW lf = DescribedFont(face, size, bold, underline, italic);
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font) return;
    if (m_DefaultFontInfo.hFont) ::DeleteObject(m_DefaultFontInfo.hFont);
    m_DefaultFontInfo.hFont = font;
    m_DefaultFontInfo.sFontName = lf.lfFaceName;
    m_DefaultFontInfo.iSize = size;
    m_DefaultFontInfo.bBold = bold;
    m_DefaultFontInfo.bUnderline = underline;
    m_DefaultFontInfo.bItalic = italic;
    ::ZeroMemory(&m_DefaultFontInfo.tm, sizeof(m_DefaultFontInfo.tm));
    if (m_hDcPaint) MeasuredFont(&m_DefaultFontInfo);
}

HFONT CPaintManagerUI::AddFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) {
    LOGFONTW lf = DescribedFont(face, size, bold, underline, italic);
    lf.lfQuality = CLEARTYPE_QUALITY;
    HFONT font = ::CreateFontIndirectW(&lf);
    if (!font) return nullptr;
    TFontInfo* info = new TFontInfo;
    info->hFont = font;
    info->sFontName = lf.lfFaceName;
    info->iSize = size;
    info->bBold = bold;
    info->bUnderline = underline;
    info->bItalic = italic;
    if (!m_aCustomFonts.Add(info)) {
        ::DeleteObject(font);
        delete info;
        return nullptr;
    }
    return font;
}

HFONT CPaintManagerUI::GetFont(int index) { return GetFontInfo(index)->hFont; }

TFontInfo* CPaintManagerUI::GetFontInfo(int index) {
    if (index < 0 || index >= m_aCustomFonts.GetSize()) return GetDefaultFontInfo();
    return MeasuredFont(static_cast<TFontInfo*>(m_aCustomFonts.GetAt(index)));
}

TFontInfo* CPaintManagerUI::GetFontInfo(HFONT font) {
    for (CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        for (int i = 0; i < pm->m_aCustomFonts.GetSize(); ++i) {
            TFontInfo* info = static_cast<TFontInfo*>(pm->m_aCustomFonts.GetAt(i));
            if (info->hFont == font) return MeasuredFont(info);
        }
    }
    return GetDefaultFontInfo();
}

HFONT CPaintManagerUI::FindFont(const wchar_t* face, int size, bool bold, bool underline, bool italic) const {
    for (const CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        for (int i = 0; i < pm->m_aCustomFonts.GetSize(); ++i) {
            const TFontInfo* info = static_cast<const TFontInfo*>(pm->m_aCustomFonts.GetAt(i));
            if (info->sFontName == (face ? face : L"") && info->iSize == size && info->bBold == bold &&
                info->bUnderline == underline && info->bItalic == italic)
                return info->hFont;
        }
    }
    return nullptr;
}

TFontInfo* CPaintManagerUI::GetDefaultFontInfo() {
    CPaintManagerUI* top = const_cast<CPaintManagerUI*>(TopManager());
    return MeasuredFont(&top->m_DefaultFontInfo);
}

void CPaintManagerUI::RemoveAllFonts() {
    for (int i = 0; i < m_aCustomFonts.GetSize(); ++i) {
        TFontInfo* info = static_cast<TFontInfo*>(m_aCustomFonts.GetAt(i));
        ::DeleteObject(info->hFont);
        delete info;
    }
    m_aCustomFonts.Empty();
}

// ---- images ----

TImageInfo* CPaintManagerUI::GetImage(const wchar_t* name) const {
    if (!name) return nullptr;
    for (const CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        TImageInfo* info = static_cast<TImageInfo*>(pm->m_mImageHash.Find(name));
        if (info) return info;
    }
    return nullptr;
}

TImageInfo* CPaintManagerUI::GetImageEx(const wchar_t* name, const wchar_t* type, DWORD mask) {
    if (!name) return nullptr;
    TImageInfo* info = static_cast<TImageInfo*>(m_mImageHash.Find(name));
    return info ? info : AddImage(name, type, mask);
}

TImageInfo* CPaintManagerUI::AddImage(const wchar_t* name, const wchar_t* type, DWORD mask) {
    if (!name || !*name) return nullptr;
    if (type && *type && (name[0] < L'0' || name[0] > L'9')) return nullptr;
    TImageInfo* info = CRenderEngine::LoadImage(name, type, mask);
    if (!info) return nullptr;
    info->sResType = type;
    info->dwMask = mask;
    if (!m_mImageHash.Insert(name, info)) {
        CRenderEngine::FreeImage(info);
        return nullptr;
    }
    return info;
}

bool CPaintManagerUI::RemoveImage(const wchar_t* name) {
    TImageInfo* info = name ? static_cast<TImageInfo*>(m_mImageHash.Find(name, false)) : nullptr;
    if (!info) return false;
    CRenderEngine::FreeImage(info);
    return m_mImageHash.Remove(name);
}

void CPaintManagerUI::RemoveAllImages() {
    for (int i = 0; i < m_mImageHash.GetSize(); ++i) {
        const wchar_t* key = m_mImageHash.GetAt(i);
        if (key) CRenderEngine::FreeImage(static_cast<TImageInfo*>(m_mImageHash.Find(key, false)));
    }
    m_mImageHash.RemoveAll();
}

// ---- default attribute lists and effect styles ----

void CPaintManagerUI::AddDefaultAttributeList(const wchar_t* className, const wchar_t* list) {
    if (!className || !list) return;
    CUiString* text = new CUiString(list);
    if (!m_DefaultAttrHash.Insert(className, text)) delete text;  // the first list wins
}

const wchar_t* CPaintManagerUI::GetDefaultAttributeList(const wchar_t* className) const {
    if (!className) return nullptr;
    for (const CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        const CUiString* text = static_cast<const CUiString*>(pm->m_DefaultAttrHash.Find(className));
        if (text) return text->GetData();
    }
    return nullptr;
}

void CPaintManagerUI::RemoveAllDefaultAttributeList() { DeleteValues<CUiString>(m_DefaultAttrHash); }

bool CPaintManagerUI::AddEffectsStyle(const wchar_t* name, const wchar_t* text) {
    if (!name || !text) return true;
    CUiString* stored = new CUiString(text);
    if (!m_mEffectsStyle.Insert(name, stored)) delete stored;
    return true;
}

const wchar_t* CPaintManagerUI::GetEffectsStyle(const wchar_t* name) const {
    if (!name) return L"";
    for (const CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        const CUiString* text = static_cast<const CUiString*>(pm->m_mEffectsStyle.Find(name));
        if (text) return text->GetData();
    }
    return L"";
}

void CPaintManagerUI::RemoveAllEffectsStyle() { DeleteValues<CUiString>(m_mEffectsStyle); }

// ---- style sheets ----

void CPaintManagerUI::FreeStyle(CStdStringPtrMap* attributes) {
    if (!attributes) return;
    DeleteValues<CUiString>(*attributes);
    delete attributes;
}

void CPaintManagerUI::FreeStyleMap(CStdStringPtrMap* styles) {
    if (!styles) return;
    for (int i = 0; i < styles->GetSize(); ++i) {
        const wchar_t* key = styles->GetAt(i);
        if (key) FreeStyle(static_cast<CStdStringPtrMap*>(styles->Find(key, false)));
    }
    styles->RemoveAll();
}

bool CPaintManagerUI::AddStyleAttribute(const wchar_t* sheetName, const wchar_t* styleName,
                                        const wchar_t* attribute, const wchar_t* value) {
    if (!styleName || !attribute || !value) return false;
    CStdStringPtrMap* styles = m_pCurrentStyles;
    if (sheetName) {
        styles = static_cast<CStdStringPtrMap*>(m_mStyleSheets.Find(sheetName, false));
        if (!styles) {
            styles = new CStdStringPtrMap(83);
            m_mStyleSheets.Insert(sheetName, styles);
        }
    }
    CStdStringPtrMap* attributes = static_cast<CStdStringPtrMap*>(styles->Find(styleName, false));
    if (!attributes) {
        attributes = new CStdStringPtrMap(83);
        styles->Insert(styleName, attributes);
    }
    CUiString* stored = static_cast<CUiString*>(attributes->Find(attribute, false));
    if (stored)
        *stored = value;
    else
        attributes->Insert(attribute, new CUiString(value));
    return true;
}

void CPaintManagerUI::RemoveStyle(const wchar_t* styleName, const wchar_t* sheetName) {
    CStdStringPtrMap* styles =
        sheetName ? static_cast<CStdStringPtrMap*>(m_mStyleSheets.Find(sheetName, false)) : m_pCurrentStyles;
    if (!styles) return;
    if (!styleName) {
        FreeStyleMap(styles);
        return;
    }
    CStdStringPtrMap* attributes = static_cast<CStdStringPtrMap*>(styles->Find(styleName, false));
    if (!attributes) return;
    FreeStyle(attributes);
    styles->Remove(styleName);
}

bool CPaintManagerUI::RemoveStyleSheet(const wchar_t* sheetName) {
    if (!sheetName || m_sCurrentStyleSheet == sheetName) return false;
    CStdStringPtrMap* styles = static_cast<CStdStringPtrMap*>(m_mStyleSheets.Find(sheetName, false));
    if (!styles) return false;
    FreeStyleMap(styles);
    delete styles;
    return m_mStyleSheets.Remove(sheetName);
}

void CPaintManagerUI::RemoveAllStyleSheets() {
    // Every sheet goes, the current one included: the default style map takes over.
    if (!m_sCurrentStyleSheet.IsEmpty()) SetCurrentStyles(nullptr, true);
    for (int i = 0; i < m_mStyleSheets.GetSize(); ++i) {
        const wchar_t* key = m_mStyleSheets.GetAt(i);
        if (!key) continue;
        CStdStringPtrMap* styles = static_cast<CStdStringPtrMap*>(m_mStyleSheets.Find(key, false));
        FreeStyleMap(styles);
        delete styles;
    }
    m_mStyleSheets.RemoveAll();
}

CStdStringPtrMap* CPaintManagerUI::GetStyle(const wchar_t* styleName) const {
    if (!styleName || !m_pCurrentStyles) return nullptr;
    return static_cast<CStdStringPtrMap*>(m_pCurrentStyles->Find(styleName));
}

CStdStringPtrMap* CPaintManagerUI::GetStyleSheet(const wchar_t* sheetName) const {
    return sheetName ? static_cast<CStdStringPtrMap*>(m_mStyleSheets.Find(sheetName, false)) : nullptr;
}

const wchar_t* CPaintManagerUI::GetFirstStyleSheetName() const {
    for (int i = 0; i < m_mStyleSheets.GetSize(); ++i)
        if (const wchar_t* key = m_mStyleSheets.GetAt(i)) return key;
    return nullptr;
}

bool CPaintManagerUI::SetCurrentStyles(const wchar_t* sheetName, bool postRestyle) {
    if (!sheetName) {
        m_pCurrentStyles = m_pDefaultStyles;
        m_sCurrentStyleSheet.Empty();
    } else {
        CStdStringPtrMap* styles = static_cast<CStdStringPtrMap*>(m_mStyleSheets.Find(sheetName, false));
        if (!styles) return false;
        m_pCurrentStyles = styles;
        m_sCurrentStyleSheet = sheetName;
    }
    if (postRestyle && m_hWndPaint) ::PostMessageW(m_hWndPaint, UIMSG_RESTYLE, 0, 0);
    return true;
}

// ---- option groups ----

bool CPaintManagerUI::AddOptionGroup(const wchar_t* groupName, CControlUI* option) {
    if (!groupName || !option) return false;
    CStdPtrArray* group = static_cast<CStdPtrArray*>(m_mOptionGroup.Find(groupName));
    if (!group) {
        group = new CStdPtrArray(6);
        m_mOptionGroup.Insert(groupName, group);
    }
    if (group->Find(option) >= 0) return false;
    return group->Add(option);
}

CStdPtrArray* CPaintManagerUI::GetOptionGroup(const wchar_t* groupName) const {
    return groupName ? static_cast<CStdPtrArray*>(m_mOptionGroup.Find(groupName)) : nullptr;
}

void CPaintManagerUI::RemoveOptionGroup(const wchar_t* groupName, CControlUI* option) {
    CStdPtrArray* group = GetOptionGroup(groupName);
    if (!group) return;
    int index = group->Find(option);
    if (index >= 0) group->Remove(index);
    if (group->IsEmpty()) {
        delete group;
        m_mOptionGroup.Remove(groupName);
    }
}

void CPaintManagerUI::RemoveAllOptionGroups() { DeleteValues<CStdPtrArray>(m_mOptionGroup); }

// ---- action groups ----

namespace {

// Reads a start or end text into four words by the value type; "none" reads zeros.
void ReadPropertyValue(const wchar_t* type, const wchar_t* text, INT32 (&value)[4]) {
    value[0] = value[1] = value[2] = value[3] = 0;
    if (std::wcscmp(text, L"none") == 0) return;
    auto is = [type](const wchar_t* name) { return std::wcscmp(type, name) == 0; };
    if (is(L"color") || is(L"image.mask")) {
        value[0] = static_cast<INT32>(ParseColorValue(text));
    } else if (is(L"rect") || is(L"image.source") || is(L"image.corner") || is(L"image.dest")) {
        RECT rc = ParseRectValue(text);
        value[0] = rc.left;
        value[1] = rc.top;
        value[2] = rc.right;
        value[3] = rc.bottom;
    } else if (is(L"point")) {
        SIZE pt = ParseSizeValue(text);
        value[0] = pt.cx;
        value[1] = pt.cy;
    } else {
        value[0] = ParseIntValue(text);
    }
}

}  // namespace

tagTActionGroup::~tagTActionGroup() {
    for (int i = 0; i < aProperties.GetSize(); ++i) delete static_cast<tagTProperty*>(aProperties.GetAt(i));
}

tagTActionGroup* CPaintManagerUI::AddActionGroup(const wchar_t* name, const wchar_t* msgType, int interval,
                                                 int total, bool autoStart, bool loop, bool reverse) {
    tagTActionGroup* group = new tagTActionGroup;
    group->sName = name;
    group->sMsgType = msgType;
    group->iInterval = interval < 0 ? 0 : interval;
    group->iTimer = total < group->iInterval ? group->iInterval : total;
    group->bAutoStart = autoStart;
    group->bLoop = loop;
    group->bReverse = reverse;
    if (m_mActionGroups.Insert(name, group)) return group;
    delete group;
    return nullptr;
}

bool CPaintManagerUI::AddActionGroupNotify(const wchar_t* name, const wchar_t* notifyType, int interval, int total,
                                           bool autoStart, bool loop, bool reverse) {
    if (!name || !notifyType || m_mActionGroups.Find(name, false)) return false;
    tagTActionGroup* group = AddActionGroup(name, L"notify", interval, total, autoStart, loop, reverse);
    if (group) group->sNotifyType = notifyType;
    return group != nullptr;
}

bool CPaintManagerUI::AddActionGroupEvent(const wchar_t* name, int eventType, int interval, int total,
                                          bool autoStart, bool loop, bool reverse) {
    if (!name || eventType == 0 || m_mActionGroups.Find(name, false)) return false;
    tagTActionGroup* group = AddActionGroup(name, L"event", interval, total, autoStart, loop, reverse);
    if (group) group->iEventType = eventType;
    return group != nullptr;
}

tagTActionGroup* CPaintManagerUI::GetActionGroup(const wchar_t* name) const {
    if (!name) return nullptr;
    for (const CPaintManagerUI* pm = this; pm; pm = pm->m_pParentResourcePM) {
        if (void* group = pm->m_mActionGroups.Find(name)) return static_cast<tagTActionGroup*>(group);
    }
    return nullptr;
}

bool CPaintManagerUI::AddPropertyAction(const wchar_t* groupName, const wchar_t* name, const wchar_t* type,
                                        const wchar_t* startValue, const wchar_t* endValue, int interval,
                                        int total, bool autoStart, bool loop, bool reverse) {
    if (!groupName || !name || !type || !startValue || !endValue) return false;
    tagTActionGroup* group = static_cast<tagTActionGroup*>(m_mActionGroups.Find(groupName, false));
    if (!group) return false;
    tagTProperty* property = new tagTProperty;
    property->sName = name;
    property->sType = type;
    property->sStartValue = startValue;
    property->sEndValue = endValue;
    ReadPropertyValue(type, startValue, property->startValue);
    ReadPropertyValue(type, endValue, property->endValue);
    property->iInterval = interval < 0 ? 0 : interval;
    property->iTimer = total < property->iInterval ? property->iInterval : total;
    property->bAutoStart = autoStart;
    property->bLoop = loop;
    property->bReverse = reverse;
    CStdPtrArray& properties = group->aProperties;
    for (int i = 0; i < properties.GetSize(); ++i) {
        tagTProperty* old = static_cast<tagTProperty*>(properties.GetAt(i));
        if (old->sName == name && old->sType == type) {
            properties.Remove(i);
            delete old;
            break;
        }
    }
    if (properties.Add(property)) return true;
    delete property;
    return false;
}

void CPaintManagerUI::RemoveAllActionGroups() { DeleteValues<tagTActionGroup>(m_mActionGroups); }

// ---- window settings ----

void CPaintManagerUI::SetOpacity(int opacity) {
    m_nOpacity = static_cast<BYTE>(std::min(std::max(opacity, 0), 255));
    if (!m_hWndPaint) return;
    typedef BOOL(WINAPI * SetLayeredFn)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user32 = ::GetModuleHandleW(L"User32.dll");
    SetLayeredFn setLayered = user32 ? reinterpret_cast<SetLayeredFn>(reinterpret_cast<void*>(
                                           ::GetProcAddress(user32, "SetLayeredWindowAttributes")))
                                     : nullptr;
    if (!setLayered) return;
    LONG style = ::GetWindowLongW(m_hWndPaint, GWL_EXSTYLE);
    LONG wanted = (opacity >= 0 && opacity <= 255) ? (style | WS_EX_LAYERED) : (style & ~WS_EX_LAYERED);
    if (wanted != style) ::SetWindowLongW(m_hWndPaint, GWL_EXSTYLE, wanted);
    setLayered(m_hWndPaint, 0, m_nOpacity, LWA_ALPHA);
}

DWORD CPaintManagerUI::GetDefaultDisabledColor() const { return TopManager()->m_dwDefaultDisabledColor; }
DWORD CPaintManagerUI::GetDefaultFontColor() const { return TopManager()->m_dwDefaultFontColor; }
DWORD CPaintManagerUI::GetDefaultLinkFontColor() const { return TopManager()->m_dwDefaultLinkFontColor; }
DWORD CPaintManagerUI::GetDefaultLinkHoverFontColor() const { return TopManager()->m_dwDefaultLinkHoverFontColor; }
DWORD CPaintManagerUI::GetDefaultSelectedBkColor() const { return TopManager()->m_dwDefaultSelectedBkColor; }

}  // namespace UiLib
