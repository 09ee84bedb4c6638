// What a partial file was fetched under, kept beside it: the total the
// server announced when the download began and the server's validator
// (ETag, Last-Modified). A resume asks for the rest only if the file is
// still the same (If-Range), and a reply that names a different total or
// validator means the file changed: the bytes on disk are worthless.
#pragma once

#include <cstdint>
#include <string>

struct ResumeRecord {
    int64_t total = -1;        // bytes of the whole file; -1 when not announced
    std::string etag;          // as the server sent it, or empty
    std::string lastModified;  // as the server sent it, or empty

    // The If-Range value: a strong ETag, else Last-Modified; empty when the
    // server gave neither (a weak ETag never matches a range request).
    std::string IfRangeValue() const;
    // True when a later reply's total or validators contradict this record.
    bool ContradictedBy(const ResumeRecord& reply) const;

    // One small file; false when it is missing or unreadable.
    bool Load(const std::wstring& path);
    bool Save(const std::wstring& path) const;
};
