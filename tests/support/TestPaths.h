// Small helpers shared by test programs: the test's own folder and scratch files.
#pragma once
#include <string>

namespace testsupport {

// Folder of the running test program, with a trailing backslash.
std::wstring ProgramFolder();

// A fresh, empty scratch folder under the system's temporary folder, removed
// when the object goes away.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::wstring& Path() const { return path_; }  // ends in a backslash
    std::wstring File(const std::wstring& name) const { return path_ + name; }

private:
    std::wstring path_;
};

// Makes a folder the process's current folder until the object goes away.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::wstring& folder);
    ~ScopedCurrentFolder();
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

private:
    std::wstring saved_;
};

// True when a file or folder of that name exists.
bool PathExists(const std::wstring& path);

// Writes bytes to a file, replacing it; returns false when it cannot.
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// The whole content of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::wstring& path);

// Converts a wide path to the ANSI code page, as the narrow exports expect.
std::string ToAnsi(const std::wstring& text);

}  // namespace testsupport
