// The OLE control every stand-in is: it records the container's calls,
// activates in place as its kind says (windowless through the windowless
// site, or windowed in a child window of the site's window), draws a solid
// colour and answers hit tests on its left half.
#pragma once
#include <ocidl.h>
#include <olectl.h>
#include <ole2.h>

#include <string>

namespace standin {

class EventPoint;

// Called as the module unloads: its window procedure goes with it.
void UnregisterWindowClass();

enum class Kind { Windowless, PlainView, Windowed, FailingInit, Flash, Browser };

class StandInControl : public IOleObject,
                       public IOleInPlaceObjectWindowless,
                       public IOleInPlaceActiveObject,
                       public IViewObjectEx,
                       public IPersistStreamInit,
                       public IObjectWithSite,
                       public IConnectionPointContainer {
public:
    StandInControl(Kind kind, const wchar_t* name);
    StandInControl(const StandInControl&) = delete;
    StandInControl& operator=(const StandInControl&) = delete;

    // IUnknown
    STDMETHOD(QueryInterface)(REFIID riid, void** ppv) override;
    STDMETHOD_(ULONG, AddRef)() override;
    STDMETHOD_(ULONG, Release)() override;
    // IOleObject
    STDMETHOD(SetClientSite)(IOleClientSite* site) override;
    STDMETHOD(GetClientSite)(IOleClientSite** site) override;
    STDMETHOD(SetHostNames)(LPCOLESTR app, LPCOLESTR object) override;
    STDMETHOD(Close)(DWORD saveOption) override;
    STDMETHOD(SetMoniker)(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHOD(GetMoniker)(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    STDMETHOD(InitFromData)(IDataObject*, WINBOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHOD(GetClipboardData)(DWORD, IDataObject**) override { return E_NOTIMPL; }
    STDMETHOD(DoVerb)(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override;
    STDMETHOD(EnumVerbs)(IEnumOLEVERB**) override { return E_NOTIMPL; }
    STDMETHOD(Update)() override { return E_NOTIMPL; }
    STDMETHOD(IsUpToDate)() override { return E_NOTIMPL; }
    STDMETHOD(GetUserClassID)(CLSID*) override { return E_NOTIMPL; }
    STDMETHOD(GetUserType)(DWORD, LPOLESTR*) override { return E_NOTIMPL; }
    STDMETHOD(SetExtent)(DWORD aspect, SIZEL* size) override;
    STDMETHOD(GetExtent)(DWORD, SIZEL*) override { return E_NOTIMPL; }
    STDMETHOD(Advise)(IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(Unadvise)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(EnumAdvise)(IEnumSTATDATA**) override { return E_NOTIMPL; }
    STDMETHOD(GetMiscStatus)(DWORD aspect, DWORD* status) override;
    STDMETHOD(SetColorScheme)(LOGPALETTE*) override { return E_NOTIMPL; }
    // IOleWindow, IOleInPlaceObject(Windowless)
    STDMETHOD(GetWindow)(HWND* hwnd) override;
    STDMETHOD(ContextSensitiveHelp)(WINBOOL) override { return E_NOTIMPL; }
    STDMETHOD(InPlaceDeactivate)() override;
    STDMETHOD(UIDeactivate)() override { return S_OK; }
    STDMETHOD(SetObjectRects)(LPCRECT position, LPCRECT clip) override;
    STDMETHOD(ReactivateAndUndo)() override { return E_NOTIMPL; }
    STDMETHOD(OnWindowMessage)(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    STDMETHOD(GetDropTarget)(IDropTarget**) override { return E_NOTIMPL; }
    // IOleInPlaceActiveObject
    STDMETHOD(TranslateAccelerator)(LPMSG msg) override;
    STDMETHOD(OnFrameWindowActivate)(WINBOOL) override { return S_OK; }
    STDMETHOD(OnDocWindowActivate)(WINBOOL) override { return S_OK; }
    STDMETHOD(ResizeBorder)(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override { return S_OK; }
    STDMETHOD(EnableModeless)(WINBOOL) override { return S_OK; }
    // IViewObject, IViewObject2, IViewObjectEx
    STDMETHOD(Draw)(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc, HDC dc,
                    LPCRECTL bounds, LPCRECTL windowBounds, WINBOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR contArg) override;
    STDMETHOD(GetColorSet)(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHOD(Freeze)(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(Unfreeze)(DWORD) override { return E_NOTIMPL; }
    STDMETHOD(SetAdvise)(DWORD, DWORD, IAdviseSink*) override { return E_NOTIMPL; }
    STDMETHOD(GetAdvise)(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }
    STDMETHOD(GetExtent)(DWORD, LONG, DVTARGETDEVICE*, LPSIZEL) override { return E_NOTIMPL; }
    STDMETHOD(GetRect)(DWORD, LPRECTL) override { return E_NOTIMPL; }
    STDMETHOD(GetViewStatus)(DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(QueryHitPoint)(DWORD aspect, LPCRECT bounds, POINT pt, LONG closeHint, DWORD* hitResult) override;
    STDMETHOD(QueryHitRect)(DWORD, LPCRECT, LPCRECT, LONG, DWORD*) override { return E_NOTIMPL; }
    STDMETHOD(GetNaturalExtent)(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) override {
        return E_NOTIMPL;
    }
    // IPersistStreamInit
    STDMETHOD(GetClassID)(CLSID*) override { return E_NOTIMPL; }
    STDMETHOD(IsDirty)() override { return S_FALSE; }
    STDMETHOD(Load)(LPSTREAM) override { return E_NOTIMPL; }
    STDMETHOD(Save)(LPSTREAM, WINBOOL) override { return E_NOTIMPL; }
    STDMETHOD(GetSizeMax)(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHOD(InitNew)() override;
    // IObjectWithSite
    STDMETHOD(SetSite)(IUnknown* site) override;
    STDMETHOD(GetSite)(REFIID, void**) override { return E_NOTIMPL; }
    // IConnectionPointContainer (Flash and browser only)
    STDMETHOD(EnumConnectionPoints)(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHOD(FindConnectionPoint)(REFIID riid, IConnectionPoint** point) override;

protected:
    virtual ~StandInControl();
    void Log(const std::wstring& what) const;

    const Kind m_kind;
    std::wstring m_name;
    EventPoint* m_events = nullptr;

private:
    bool AnswersWindowless() const { return m_kind == Kind::Windowless || m_kind == Kind::PlainView; }
    bool AnswersHitTests() const { return m_kind == Kind::Windowless; }
    bool AnswersEvents() const { return m_kind == Kind::Flash || m_kind == Kind::Browser; }
    HRESULT ActivateWindowless(IOleClientSite* site);
    HRESULT ActivateWindowed(IOleClientSite* site);
    void Deactivate();

    LONG m_ref = 1;
    IOleClientSite* m_site = nullptr;
    IOleInPlaceSite* m_inPlaceSite = nullptr;
    IUnknown* m_objectSite = nullptr;
    HWND m_window = nullptr;
    RECT m_rect = {0, 0, 0, 0};
};

}  // namespace standin
