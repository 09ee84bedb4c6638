#include "summary/PhoneMsg.h"

#include <cstring>
#include <memory>
#include <string>

#include "messages/AppMessages.h"

using namespace UiLib;

void MergeCounts(PhoneCounts& kept, const PhoneCounts& reply) {
    if (reply.contacts >= 0) kept.contacts = reply.contacts;
    if (reply.messages >= 0) kept.messages = reply.messages;
    if (reply.calls >= 0) kept.calls = reply.calls;
}

PhoneMsg::PhoneMsg(HWND owner, int cursorX, int cursorY, int frameLeft, int frameTop, int frameRight,
                   int frameBottom)
    : owner_(owner), cursor_{cursorX, cursorY}, frame_{frameLeft, frameTop, frameRight, frameBottom} {}

void PhoneMsg::OnFinalMessage(HWND hWnd) {
    WindowImplBase::OnFinalMessage(hWnd);
    delete this;
}

void PhoneMsg::Notify(TNotifyUI& msg) {
    if (msg.sType == L"windowinit") {
        OnInit();
    } else if (msg.sType == L"click" && msg.pSender) {
        const CUiString name = msg.pSender->GetName();
        if (name == L"btnBackup") OpenBackup(kBackupPage, counts_);
        else if (name == L"btnRestore") OpenBackup(kRestorePage, PhoneCounts{0, 0, 0});
    }
    WindowImplBase::Notify(msg);
}

bool PhoneMsg::PostReplyCopy(HWND summary, const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    if (!::PostMessageW(summary, appmsg::kAndroidMsg, reinterpret_cast<WPARAM>(copy.get()), 0)) return false;
    copy.release();  // the window frees it
    return true;
}

LRESULT PhoneMsg::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg != appmsg::kAndroidMsg) return WindowImplBase::HandleMessage(uMsg, wParam, lParam);
    std::unique_ptr<char[]> text(reinterpret_cast<char*>(wParam));
    if (!text) return 0;
    ::OutputDebugStringA(text.get());
    // Any reply shows the buttons; a counts reply also its numbers.
    received_ = true;
    PhoneCounts counts;
    if (std::strchr(text.get(), '(') && ParsePhoneCounts(text.get(), counts)) MergeCounts(counts_, counts);
    Apply();
    return 0;
}

void PhoneMsg::OnInit() {
    const POINT at = PlaceOver(frame_);
    SetWindowPos(m_hWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    backup_ = m_PaintManager.FindControl(L"btnBackup");
    restore_ = m_PaintManager.FindControl(L"btnRestore");
    contacts_ = m_PaintManager.FindControl(L"msgLaontactsA");
    messages_ = m_PaintManager.FindControl(L"msgLaMsg");
    calls_ = m_PaintManager.FindControl(L"msgLaRecord");
    Apply();
    OutputDebugStringW(L"PhoneMsg::OnPrepare___初始化控件成功");
}

void PhoneMsg::ShowCounts(const PhoneCounts& counts) {
    MergeCounts(counts_, counts);
    received_ = true;
    Apply();
}

void PhoneMsg::Apply() {
    // Until the first reply the labels keep the skin's waiting text.
    if (backup_) backup_->SetVisible(received_);
    if (restore_) restore_->SetVisible(received_);
    if (!received_) return;
    auto show = [](CControlUI* label, int count) {
        if (label) label->SetText(std::to_wstring(count).c_str());
    };
    show(contacts_, counts_.contacts);
    show(messages_, counts_.messages);
    if (messages_) messages_->SetVisible(true);
    show(calls_, counts_.calls);
}

void PhoneMsg::OpenBackup(BackupMode mode, const PhoneCounts& counts) {
    if (!opener_) return;
    ::ShowWindow(m_hWnd, SW_HIDE);
    opener_(m_hWnd, mode, counts);
}
