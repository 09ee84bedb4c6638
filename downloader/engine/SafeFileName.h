// File names made from outside text (a package's Name from the web service
// or the local request port, an extension from a URL) and the paths of a
// task's files. A name must stay one plain file inside its folder: no
// separators, no "..", no drive or stream syntax, no device name, no
// trailing dots or blanks.
#pragma once

#include <optional>
#include <string>

// `stem` + `extension` (ANSI) as one plain file name: characters Windows
// does not allow in a name (separators, ':', '*', '?', '"', '<', '>', '|',
// control characters) become '_', trailing dots and blanks are dropped, and
// a reserved device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, also
// with an extension) gets a leading '_'. Empty when nothing usable is left
// (an empty name, ".", "..").
std::optional<std::string> SafeFileName(const std::string& stem, const std::string& extension);

// True when `name` (ANSI) is one plain file name that SafeFileName leaves
// unchanged.
bool IsPlainFileName(const std::string& name);

// The files of one download: "<folder>\<safe name>" and its companions.
struct TaskFilePaths {
    std::string target;
    std::string partial;    // target + ".tmp": the bytes fetched so far
    std::string skip;       // target + ".skip": a marker that counts as done
    std::string validator;  // partial + ".validator": the server's validator and total
};

// The paths of the task's files from its folder, name and extension; empty
// when the name cannot be made safe or a path is longer than its limit
// (target 2047 characters, the others 259).
std::optional<TaskFilePaths> FilePathsOf(const std::string& folder, const std::string& name,
                                         const std::string& extension);
