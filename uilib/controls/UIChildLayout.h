// CChildLayoutUI: a container whose content is built from another skin file
// ("xmlfile") when the layout joins a window.
#pragma once
#include "core/manager/UIContainer.h"

namespace UiLib {

class UILIB_API CChildLayoutUI : public CContainerUI {
public:
    ~CChildLayoutUI() override;

    const wchar_t* GetClass() const override;
    LPVOID GetInterface(const wchar_t* name) override;
    void Init() override;
    void SetAttribute(const wchar_t* name, const wchar_t* value) override;

    void SetChildLayoutXML(const wchar_t* fileName) { m_pstrXMLFile = fileName; }
    CUiString GetChildLayoutXML() const { return m_pstrXMLFile; }

private:
    CUiString m_pstrXMLFile;
};

}  // namespace UiLib
