// The feedback form: its rules (which numbers pass, what an answer means),
// then the real form in-process against the web service peer: the request
// as the peer records it, each kind of answer and the result window it
// brings, a refused number that sends nothing, and the three ways the main
// frame opens the form.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AdbTestPeers.h"
#include "TorvanikProcess.h"
#include "UiHarness.h"
#include "WebServicePeer.h"
#include "InProcessUi.h"
#include "controls/UICombo.h"
#include "controls/UIEdit.h"
#include "controls/UIOption.h"
#include "controls/UIRichEdit.h"
#include "core/manager/UIManager.h"
#include "dialogs/QuestionBack.h"
#include "feedback/FeedbackForm.h"
#include "frame/MainFrame.h"
#include "util/ProcessUtil.h"
#include "win32/TextConvert.h"

using namespace UiLib;
using testpeers::WebServicePeer;

namespace {

// What a result window showed before the thread timer closed it.
struct ResultSeen {
    std::wstring info;
    std::wstring picture;
    bool closedByButton = false;
};
std::vector<ResultSeen> g_results;
std::vector<std::wstring> g_formsSeen;

// Runs inside the modal loops of the form and its result window: reads
// the open result window, photographs it and presses its button.
void CALLBACK CloseResultWindow(HWND, UINT, UINT_PTR, DWORD) {
    HWND tip = FindWindowW(L"ConnectFailDialog", L"CQuestionTipBack");
    WindowImplBase* window = apptest::WindowObject(tip);
    if (!window || !IsWindowVisible(tip) || GetPropW(tip, L"seen")) return;
    CControlUI* info = window->m_PaintManager.FindControl(L"LableInfo");
    CControlUI* picture = window->m_PaintManager.FindControl(L"VerLayout");
    CControlUI* yes = window->m_PaintManager.FindControl(L"Btnyesexit");
    if (!info || !picture || !yes) return;
    SetPropW(tip, L"seen", tip);
    ResultSeen seen{info->GetText().GetData(), picture->GetBkImage()};
    static int shots = 0;
    apptest::SaveShotIfAsked(uiharness::CaptureWindow(tip), (L"feedback-result-" + std::to_wstring(++shots)).c_str());
    window->m_PaintManager.SendNotify(yes, L"click", 0, 0);
    seen.closedByButton = true;
    g_results.push_back(seen);
}

// Runs inside the form's modal loop when the frame opens it: notes it and closes it.
void CALLBACK CloseForm(HWND, UINT, UINT_PTR, DWORD) {
    HWND form = FindWindowW(L"ConnectFailDialog", L"ConnectFailDialog");
    WindowImplBase* window = apptest::WindowObject(form);
    if (!window || !IsWindowVisible(form) || GetPropW(form, L"seen")) return;
    SetPropW(form, L"seen", form);
    CControlUI* title = window->m_PaintManager.FindControl(L"EditQuestionTitle");
    g_formsSeen.push_back(title ? L"form" : L"no form");
    window->m_PaintManager.SendNotify(window->m_PaintManager.FindControl(L"BtnQuestionAskCancel"), L"click", 0, 0);
}

struct FormFixture : ::testing::Test {
    WebServicePeer peer;
    UINT_PTR timer = 0;
    void SetUp() override {
        SetEnvironmentVariableA("TORVANIK_API_HOST", peer.HostAndPort().c_str());
        apptest::UseInstalledSkin();
        g_results.clear();
        timer = SetTimer(nullptr, 0, 50, &CloseResultWindow);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        SetEnvironmentVariableA("TORVANIK_API_HOST", nullptr);
    }
    size_t FaqRequests() const {
        auto requests = peer.Requests();
        return std::count_if(requests.begin(), requests.end(),
                             [](auto& r) { return r.path.find("a=faq") != std::string::npos; });
    }
};

CControlUI* Control(CQuestionBack& form, const wchar_t* name) { return form.m_PaintManager.FindControl(name); }

}  // namespace

TEST(FeedbackRules, OnlyElevenDigitsWithAMobileSecondDigitAreAPhoneNumber) {
    const struct {
        const wchar_t* phone;
        bool accepted;
    } cases[] = {
        {L"13812345678", true},   {L"15012345678", true},   {L"17712345678", true},
        {L"18612345678", true},   {L"12812345678", false},  {L"1381234567", false},
        {L"138123456789", false}, {L"1A812345678", false},  {L"138123456AB", false},
        {L"138123456ab", false},  {L"", false},             {L"138 1234567", false},
        {L"１３８１２３４５６７８", false},  // full-width digits
    };
    for (const auto& c : cases) EXPECT_EQ(c.accepted, IsMobileNumber(c.phone)) << WideToUtf8(c.phone);
}

TEST(FeedbackRules, AJsonAnswerIsSuccessUnlessItsTypeIsMinusOne) {
    const struct {
        const char* reply;
        bool accepted;
    } cases[] = {
        {R"({"type":1})", true},     {R"({"type":"0"})", true},   {R"({"type":"2","msg":"ok"})", true},
        {R"({"type":-1})", false},   {R"({"type":"-1"})", false}, {R"({"msg":"ok"})", true},
        {R"({"type":null})", true},  {R"({})", true},             {"<html>busy</html>", false},
        {"", false},
        {"[1]", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.accepted, FeedbackAccepted(c.reply)) << c.reply;
}

TEST_F(FormFixture, SendsTheFormEncodedRequestAndShowsTheAnswer) {
    CQuestionBack form(nullptr);
    ASSERT_NE(nullptr, form.Create(nullptr, L"ConnectFailDialog", 0x90CF0000, 0, 0, 0, 0, 0));
    form.CenterWindow();
    ASSERT_TRUE(uiharness::PumpUntil([&] { return Control(form, L"BtnQuestionAsk") && IsWindowVisible(form.GetHWND()); }));
    uiharness::PumpFor(200);
    EXPECT_EQ(0, GetWindowLongPtrW(form.GetHWND(), GWL_STYLE) & WS_MAXIMIZEBOX);
    // The limits of the title and the text, as the controls hold them.
    auto* title = static_cast<CEditUI*>(Control(form, L"EditQuestionTitle")->GetInterface(L"Edit"));
    auto* content = static_cast<CRichEditUI*>(Control(form, L"wordedit")->GetInterface(L"RichEdit"));
    ASSERT_TRUE(title && content);
    EXPECT_EQ(20, title->GetMaxChar());
    EXPECT_EQ(300, content->GetLimitText());

    static_cast<CComboUI*>(Control(form, L"ComboClass")->GetInterface(L"Combo"))->SelectItem(2);
    title->SetText(L"备份 失败 a&b");
    content->SetText(L"通讯录备份到一半就停了, 100% 卡住");
    Control(form, L"EditUserNum")->SetText(L"13812345678");
    FeedbackTexts texts{L"普通用户", L"备份问题", L"备份 失败 a&b", L"通讯录备份到一半就停了, 100% 卡住", L"13812345678"};
    const std::string path = FeedbackRequestPath(texts);
    uiharness::PumpFor(100);
    apptest::SaveShotIfAsked(uiharness::CaptureWindow(form.GetHWND()), L"feedback-form");

    const struct {
        const char* reply;  // nullptr: the service has no answer (404)
        const wchar_t* info;
        const wchar_t* picture;
    } cases[] = {
        {R"({"type":1,"msg":"ok"})", L"反馈成功，感谢您的支持！", L"Questionback\\BackTip\\okbk.png"},
        {R"({"type":-1})", L"反馈出错， 请重试 ！", L"Questionback\\BackTip\\failbk.png"},
        {R"({"msg":"no type"})", L"反馈成功，感谢您的支持！", L"Questionback\\BackTip\\okbk.png"},
        {"<html>维护中</html>", L"反馈出错， 请重试 ！", L"Questionback\\BackTip\\failbk.png"},
        {nullptr, L"反馈出错， 请重试 ！", L"Questionback\\BackTip\\failbk.png"},
    };
    size_t sent = 0;
    for (const auto& c : cases) {
        WebServicePeer::Reply reply;
        if (c.reply) reply.body = c.reply;
        else reply.status = 404;
        peer.SetReply(path, reply);
        g_results.clear();
        form.m_PaintManager.SendNotify(Control(form, L"BtnQuestionAsk"), L"click", 0, 0);
        ASSERT_TRUE(uiharness::PumpUntil([] { return !g_results.empty(); }, 15000)) << (c.reply ? c.reply : "404");
        EXPECT_EQ(c.info, g_results[0].info) << (c.reply ? c.reply : "404");
        EXPECT_EQ(c.picture, g_results[0].picture) << (c.reply ? c.reply : "404");
        EXPECT_EQ(++sent, FaqRequests());
        EXPECT_TRUE(IsWindow(form.GetHWND()));  // the form stays open behind its answer
        EXPECT_TRUE(Control(form, L"BtnQuestionAsk")->IsEnabled());
    }
    // The request as the peer saw it: every text form-encoded in the ANSI code page.
    const auto requests = peer.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(path, requests.back().path);
    EXPECT_EQ("GET", requests.back().method);
    EXPECT_EQ(0u, path.find("index.php?c=feedback&a=faq&object=" + UrlEncodeForm(WideToAnsi(L"普通用户")) + "&class="));
    EXPECT_NE(std::string::npos, path.find("+a%26b&content="));
    EXPECT_NE(std::string::npos, path.find("%2C+100%25+"));
    EXPECT_NE(std::string::npos, path.find("&phone=13812345678"));
    EXPECT_TRUE(std::none_of(path.begin(), path.end(), [](char ch) { return ch == ' ' || (ch & 0x80); }));
    DestroyWindow(form.GetHWND());
}

TEST_F(FormFixture, TheTitleStopsAtTwentyTypedCharactersAndTheTextAtThreeHundred) {
    CQuestionBack form(nullptr);
    ASSERT_NE(nullptr, form.Create(nullptr, L"ConnectFailDialog", 0x90CF0000, 0, 0, 0, 0, 0));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return Control(form, L"wordedit") && IsWindowVisible(form.GetHWND()); }));
    uiharness::PumpFor(200);
    auto* title = static_cast<CEditUI*>(Control(form, L"EditQuestionTitle")->GetInterface(L"Edit"));
    auto* content = static_cast<CRichEditUI*>(Control(form, L"wordedit")->GetInterface(L"RichEdit"));
    ASSERT_TRUE(title && content);

    title->SetFocus();
    ASSERT_TRUE(uiharness::PumpUntil([&] { return title->GetNativeEditHWND() != nullptr; }));
    const std::wstring typedTitle = L"刷机后无法开机请问怎么办谢谢各位帮忙看看吧";  // 21 characters
    ASSERT_EQ(21u, typedTitle.size());
    for (wchar_t ch : typedTitle) SendMessageW(title->GetNativeEditHWND(), WM_CHAR, ch, 1);
    uiharness::PumpFor(100);
    content->SetFocus();  // closes the title's editor, which hands its text back
    ASSERT_TRUE(uiharness::PumpUntil([&] { return title->GetNativeEditHWND() == nullptr; }));
    EXPECT_EQ(typedTitle.substr(0, 20), std::wstring(title->GetText().GetData()));

    const std::wstring typedText(301, L'字');
    for (wchar_t ch : typedText) PostMessageW(form.GetHWND(), WM_CHAR, ch, 1);
    uiharness::PumpFor(500);
    EXPECT_EQ(typedText.substr(0, 300), std::wstring(content->GetText().GetData()));
    DestroyWindow(form.GetHWND());
}

TEST_F(FormFixture, ARefusedNumberShowsTheWarningAndSendsNothing) {
    CQuestionBack form(nullptr);
    ASSERT_NE(nullptr, form.Create(nullptr, L"ConnectFailDialog", 0x90CF0000, 0, 0, 0, 0, 0));
    ASSERT_TRUE(uiharness::PumpUntil([&] { return Control(form, L"LaPhoneNumText") != nullptr; }));
    uiharness::PumpFor(200);
    CControlUI* warning = Control(form, L"LaPhoneNumText");
    EXPECT_FALSE(warning->IsVisible());
    for (const wchar_t* phone : {L"", L"1381234567", L"12812345678", L"138123456AB"}) {
        warning->SetVisible(false);
        Control(form, L"EditUserNum")->SetText(phone);
        form.m_PaintManager.SendNotify(Control(form, L"BtnQuestionAsk"), L"click", 0, 0);
        uiharness::PumpFor(150);
        EXPECT_TRUE(warning->IsVisible()) << WideToUtf8(phone);
    }
    apptest::SaveShotIfAsked(uiharness::CaptureWindow(form.GetHWND()), L"feedback-refused");
    EXPECT_EQ(0u, FaqRequests());
    EXPECT_TRUE(g_results.empty());
    // A good number hides the warning again.
    peer.SetJson(FeedbackRequestPath({L"普通用户", L"刷机问题", L"", L"", L"15012345678"}), R"({"type":0})");
    Control(form, L"EditUserNum")->SetText(L"15012345678");
    form.m_PaintManager.SendNotify(Control(form, L"BtnQuestionAsk"), L"click", 0, 0);
    EXPECT_FALSE(warning->IsVisible());
    ASSERT_TRUE(uiharness::PumpUntil([] { return !g_results.empty(); }, 15000));
    EXPECT_EQ(L"反馈成功，感谢您的支持！", g_results[0].info);

    // Both closing buttons end the form with 1.
    form.m_PaintManager.SendNotify(Control(form, L"BtnQuestionAskCancel"), L"click", 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, form.GetHWND(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(1u, msg.wParam);
    form.m_PaintManager.SendNotify(Control(form, L"BtnQuestionClose"), L"click", 0, 0);
    ASSERT_TRUE(PeekMessageW(&msg, form.GetHWND(), WM_CLOSE, WM_CLOSE, PM_REMOVE));
    EXPECT_EQ(1u, msg.wParam);
    DestroyWindow(form.GetHWND());
}

TEST(FeedbackFromTheFrame, TheMenuItemTheHelpButtonAndTheTabOpenTheForm) {
    AdbServerPeer adb;  // answers the frame's start-up probe
    VOvoduReridOro* frame = apptest::OpenFrameInProcess();
    ASSERT_NE(nullptr, frame);
    HWND frameWnd = frame->GetHWND();
    g_formsSeen.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &CloseForm);

    // As the menu sends it: the item's name on the heap, freed by the frame.
    SendMessageW(frameWnd, VOvoduReridOro::kMenuClick, reinterpret_cast<WPARAM>(new CUiString(L"AppQuesion")), 0);
    EXPECT_EQ(1u, g_formsSeen.size());
    CControlUI* help = frame->m_PaintManager.FindControl(L"BtnMUQuestion");
    ASSERT_NE(nullptr, help);
    frame->m_PaintManager.SendNotify(help, L"click", 0, 0);
    EXPECT_EQ(2u, g_formsSeen.size());
    auto* tab = static_cast<COptionUI*>(frame->m_PaintManager.FindControl(L"OpManage")->GetInterface(L"Option"));
    ASSERT_NE(nullptr, tab);
    tab->SetSelected(true);
    EXPECT_EQ(3u, g_formsSeen.size());
    tab->SetSelected(false);  // being deselected opens nothing
    EXPECT_EQ(3u, g_formsSeen.size());
    for (const auto& seen : g_formsSeen) EXPECT_EQ(L"form", seen);

    KillTimer(nullptr, timer);
    DestroyWindow(frameWnd);
}
