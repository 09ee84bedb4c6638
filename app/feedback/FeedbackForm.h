// The feedback form's rules, apart from its window: which mobile numbers are
// accepted, the request built from the form's texts and what the web
// service's answer means.
#pragma once

#include <string>

#include "net/ApiRequests.h"

// An 11-character mobile number of digits only whose second digit is 3, 5, 7
// or 8.
bool IsMobileNumber(const std::wstring& phone);

// The form's texts as the user typed them.
struct FeedbackTexts {
    std::wstring object, category, title, content, phone;
};

// The "faq" request path: each text in the system's ANSI code page, then
// form-encoded.
std::string FeedbackRequestPath(const FeedbackTexts& texts);

// True when the answer is a JSON object whose "type" is not -1; one without
// "type" is a success. No answer and an answer that is not JSON are
// failures: the user is told, never left guessing.
bool FeedbackAccepted(const std::string& reply);

// Sends the request to the API host and reads its answer; blocks for the
// whole HTTP exchange, so it runs off the UI thread.
bool SendFeedback(const std::string& path);
