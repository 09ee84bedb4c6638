// The feedback form: who asks, a category, a title, a text and a mobile
// number go to the maker's web service as one "faq" request; the answer
// decides which result window the user sees.
#pragma once

#include <windows.h>

#include "core/manager/UIShadow.h"
#include "core/window/WindowImplBase.h"

class CQuestionBack : public UiLib::WindowImplBase {
public:
    // Posted to the form by its request thread: wParam 1 when the service
    // took the feedback, 0 when it did not or did not answer.
    static constexpr UINT kFeedbackDone = WM_APP + 0x134;

    explicit CQuestionBack(HWND mainWindow) : mainWindow_(mainWindow) {}

    const wchar_t* GetWindowClassName() const override { return L"ConnectFailDialog"; }
    void Notify(UiLib::TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Shows the result window for one answer, modally over the form.
    void ShowResult(bool success);

protected:
    UiLib::CUiString GetSkinDirectory() override { return L"skin\\"; }
    UiLib::CUiString GetSkinFileName() override { return L"Questionback.xml"; }

private:
    void OnInit();
    void OnSend();
    UiLib::CUiString TextOf(UiLib::CControlUI* control) const;

    HWND mainWindow_;
    UiLib::CControlUI* member_ = nullptr;
    UiLib::CControlUI* category_ = nullptr;
    UiLib::CControlUI* title_ = nullptr;
    UiLib::CControlUI* phone_ = nullptr;
    UiLib::CControlUI* content_ = nullptr;
    UiLib::CShadowUI shadow_;
    bool sending_ = false;  // one request at a time
};

// The result of a feedback request: the skin's thanks, or the failure text
// and picture.
class CQuestionTipBack : public UiLib::WindowImplBase {
public:
    CQuestionTipBack(const wchar_t* skinPath, bool success) : skinPath_(skinPath), success_(success) {}

    const wchar_t* GetWindowClassName() const override { return L"ConnectFailDialog"; }
    void Notify(UiLib::TNotifyUI& msg) override;

protected:
    UiLib::CUiString GetSkinDirectory() override { return L""; }
    UiLib::CUiString GetSkinFileName() override { return skinPath_; }

private:
    UiLib::CUiString skinPath_;
    bool success_;
};

// Opens the feedback form as a modal child of the main window and returns
// once the user closed it.
void ShowFeedbackDialog(HWND mainWindow);
