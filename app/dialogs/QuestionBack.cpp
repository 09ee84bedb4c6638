#include "dialogs/QuestionBack.h"

#include <string>
#include <thread>

#include "controls/UIEdit.h"
#include "controls/UIRichEdit.h"
#include "feedback/FeedbackForm.h"

using namespace UiLib;

namespace {

constexpr DWORD kFormStyle = 0x90CF0000;  // WS_POPUP | WS_VISIBLE | WS_OVERLAPPEDWINDOW
constexpr DWORD kResultStyle = 0x96C80000;
constexpr int kTitleLimit = 20;
constexpr int kContentLimit = 300;

bool IsClickOn(const TNotifyUI& msg, const wchar_t* name) {
    return msg.sType == L"click" && msg.pSender && _wcsicmp(msg.pSender->GetName().GetData(), name) == 0;
}

void CloseWithOne(HWND window) {
    if (IsWindow(window)) ::PostMessageW(window, WM_CLOSE, 1, 0);
}

}  // namespace

LRESULT CQuestionBack::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCLBUTTONDBLCLK) return 0;  // the caption never maximises the form
    if (uMsg == kFeedbackDone) {
        sending_ = false;
        if (CControlUI* send = m_PaintManager.FindControl(L"BtnQuestionAsk")) send->SetEnabled(true);
        ShowResult(wParam != 0);
        return 0;
    }
    return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
}

void CQuestionBack::Notify(TNotifyUI& msg) {
    if (msg.sType == L"windowinit") {
        OnInit();
    } else if (IsClickOn(msg, L"BtnQuestionAsk")) {
        OnSend();
    } else if (IsClickOn(msg, L"BtnQuestionClose") || IsClickOn(msg, L"BtnQuestionAskCancel")) {
        CloseWithOne(m_hWnd);
    }
    WindowImplBase::Notify(msg);
}

void CQuestionBack::OnInit() {
    SetWindowLongPtrW(m_hWnd, GWL_STYLE, GetWindowLongPtrW(m_hWnd, GWL_STYLE) & ~WS_MAXIMIZEBOX);
    member_ = m_PaintManager.FindControl(L"ComboMember");
    category_ = m_PaintManager.FindControl(L"ComboClass");
    title_ = m_PaintManager.FindControl(L"EditQuestionTitle");
    phone_ = m_PaintManager.FindControl(L"EditUserNum");
    content_ = m_PaintManager.FindControl(L"wordedit");
    // The edit passes its limit on to its native edit whenever one exists.
    if (auto* title = title_ ? static_cast<CEditUI*>(title_->GetInterface(L"Edit")) : nullptr)
        title->SetMaxChar(kTitleLimit);
    if (auto* content = content_ ? static_cast<CRichEditUI*>(content_->GetInterface(L"RichEdit")) : nullptr)
        content->SetLimitText(kContentLimit);

    shadow_.ShowShadow(true);
    shadow_.Create(&m_PaintManager);
    shadow_.SetSize(4);
    shadow_.SetPosition(0, 0);
    shadow_.SetColor(0x666666);
    shadow_.SetDarkness(150);
    shadow_.SetSharpness(5);
}

CUiString CQuestionBack::TextOf(CControlUI* control) const { return control ? control->GetText() : CUiString(); }

void CQuestionBack::OnSend() {
    if (sending_) return;
    CControlUI* warning = m_PaintManager.FindControl(L"LaPhoneNumText");
    if (warning) warning->SetVisible(false);
    FeedbackTexts texts;
    texts.object = TextOf(member_).GetData();
    texts.category = TextOf(category_).GetData();
    texts.title = TextOf(title_).GetData();
    texts.content = TextOf(content_).GetData();
    texts.phone = TextOf(phone_).GetData();
    if (!IsMobileNumber(texts.phone)) {
        if (warning) warning->SetVisible(true);
        return;
    }
    // The exchange with the web service may take seconds: it runs on its own
    // thread, and the answer comes back to this window as a message. A form
    // closed meanwhile simply no longer receives it.
    sending_ = true;
    if (CControlUI* send = m_PaintManager.FindControl(L"BtnQuestionAsk")) send->SetEnabled(false);
    std::thread([form = m_hWnd, path = FeedbackRequestPath(texts)] {
        const bool accepted = SendFeedback(path);
        ::PostMessageW(form, kFeedbackDone, accepted ? 1 : 0, 0);
    }).detach();
}

void CQuestionBack::ShowResult(bool success) {
    CQuestionTipBack tip(L"Questionback\\QuestionBackTip.xml", success);
    if (!tip.Create(m_hWnd, L"CQuestionTipBack", kResultStyle, WS_EX_WINDOWEDGE, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT))
        return;
    tip.CenterWindow();
    tip.ShowModal();
}

void CQuestionTipBack::Notify(TNotifyUI& msg) {
    if (msg.sType == L"windowinit") {
        if (!success_) {
            if (CControlUI* info = m_PaintManager.FindControl(L"LableInfo")) info->SetText(L"反馈出错， 请重试 ！");
            if (CControlUI* picture = m_PaintManager.FindControl(L"VerLayout"))
                picture->SetBkImage(L"Questionback\\BackTip\\failbk.png");
        }
    } else if (IsClickOn(msg, L"Btnyesexit") || IsClickOn(msg, L"BtnClose")) {
        CloseWithOne(m_hWnd);
    }
    WindowImplBase::Notify(msg);
}

void ShowFeedbackDialog(HWND mainWindow) {
    CQuestionBack form(mainWindow);
    if (!form.Create(mainWindow, L"ConnectFailDialog", kFormStyle, 0, 0, 0, 0, 0)) return;
    form.CenterWindow();
    form.ShowModal();
}
