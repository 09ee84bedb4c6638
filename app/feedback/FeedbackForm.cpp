#include "feedback/FeedbackForm.h"

#include <cstdlib>

#include "net/JsonReply.h"
#include "net/WebApi.h"
#include "win32/TextConvert.h"

bool IsMobileNumber(const std::wstring& phone) {
    if (phone.size() != 11) return false;
    for (wchar_t c : phone)
        if (c < L'0' || c > L'9') return false;
    const wchar_t second = phone[1];
    return second == L'3' || second == L'5' || second == L'7' || second == L'8';
}

std::string FeedbackRequestPath(const FeedbackTexts& texts) {
    FeedbackForm form;
    form.object = WideToAnsi(texts.object);
    form.category = WideToAnsi(texts.category);
    form.title = WideToAnsi(texts.title);
    form.content = WideToAnsi(texts.content);
    form.phone = WideToAnsi(texts.phone);
    return FeedbackPath(form);
}

bool FeedbackAccepted(const std::string& reply) {
    Json::Value root;
    if (!ParseJsonObject(reply, root)) return false;
    // A missing or empty "type" reads as 0: the service took the question.
    return std::atoi(JsonText(root, "type").c_str()) != -1;
}

bool SendFeedback(const std::string& path) { return FeedbackAccepted(HttpGetToString(path, ApiHost())); }
