#include "PhoneData.h"

#include <cstdio>

namespace testpeers {

namespace {

const char* const kFamilyNames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周"};
const char* const kGivenNames[] = {"伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊", "军", "洋", "勇"};
const char* const kTexts[] = {"今晚一起吃饭吗？", "收到，谢谢！", "会议改到下午三点。", "快递已放门口。",
                              "生日快乐！🎂", "OK"};

std::string Name(int i) {
    return std::string(kFamilyNames[i % 10]) + kGivenNames[(i / 10) % 12] + (i >= 120 ? std::to_string(i / 120) : "");
}

std::string Number(int i) {
    char text[16];
    std::snprintf(text, sizeof text, "138%08d", (i * 7919) % 100000000);
    return text;
}

}  // namespace

const std::string& PhoneData::FileOf(int bit) const { return bit == 1 ? vcf : bit == 2 ? xml : vcl; }

const char* PhoneData::ExtensionOf(int bit) { return bit == 1 ? "vcf" : bit == 2 ? "xml" : "vcl"; }

PhoneData MakePhoneData(int contacts, int messages, int calls) {
    PhoneData data;
    data.contacts = contacts;
    data.messages = messages;
    data.calls = calls;
    for (int i = 0; i < contacts; ++i)
        data.vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + Name(i) + "\r\nTEL;TYPE=CELL:" + Number(i) + "\r\nEND:VCARD\r\n";
    data.xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<smses count=\"" + std::to_string(messages) + "\">\n";
    for (int i = 0; i < messages; ++i)
        data.xml += "<sms address=\"" + Number(i % 97) + "\" date=\"" + std::to_string(1449446400000LL + i * 60000LL) +
                    "\" type=\"" + std::to_string(1 + i % 2) + "\" body=\"" + kTexts[i % 6] + "\" />\n";
    data.xml += "</smses>\n";
    // The call records file is one line: a JSON array, one object per record.
    data.vcl = "[";
    for (int i = 0; i < calls; ++i)
        data.vcl += std::string(i ? "," : "") + "{\"number\":\"" + Number(i % 53) + "\",\"name\":\"" + Name(i % 53) +
                    "\",\"date\":" + std::to_string(1449446400000LL + i * 3600000LL) + ",\"type\":" +
                    std::to_string(i % 3 + 1) + ",\"duration\":" + std::to_string(i * 13 % 600) + "}";
    data.vcl += "]\n";
    return data;
}

}  // namespace testpeers
