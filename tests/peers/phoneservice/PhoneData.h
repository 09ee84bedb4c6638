// The phone's contacts, messages and call records as the companion app
// writes them into its backup files: a vCard file (".vcf"), an XML file of
// messages (".xml") and a call-record file (".vcl", one line of JSON). Generated from counts,
// the same bytes every time, with Chinese names and texts.
#pragma once

#include <string>

namespace testpeers {

struct PhoneData {
    int contacts = 0;
    int messages = 0;
    int calls = 0;
    std::string vcf;  // UTF-8
    std::string xml;
    std::string vcl;

    // The file of one item bit: 1 contacts, 2 messages, 4 call records.
    const std::string& FileOf(int bit) const;
    static const char* ExtensionOf(int bit);  // "vcf", "xml", "vcl"
};

PhoneData MakePhoneData(int contacts, int messages, int calls);

}  // namespace testpeers
