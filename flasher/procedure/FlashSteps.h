// The steps of a flash: the marker each script prints when it reaches one,
// the text, title, animation and progress target the page shows for it, and
// what ends a run.
#pragma once

#include <string>

namespace flashsteps {

// Steps 0..17 have a marker; 80 and above are failures the procedure sets
// itself, each with a text that says what went wrong.
constexpr int kRowCount = 18;
constexpr int kPushing = 9;         // "%%": the ROM is being pushed
constexpr int kSucceeded = 14;      // "brush-bat-end==="
constexpr int kFirstFailure = 15;   // 15..17 are failure markers
constexpr int kRootNeeded = 80;
constexpr int kScriptsMissing = 90;      // also: the recovery package could not be downloaded
constexpr int kBridgeMissing = 91;       // Hemlar.dll or one of its entry points is missing
constexpr int kRecoveryUnreached = 92;   // the phone never came up in recovery mode
constexpr int kScriptNotStarted = 93;    // a script could not be started
constexpr int kScriptsUnfinished = 94;   // the scripts ended without their final marker
constexpr int kPushFailed = 95;          // the ROM push could not start or did not end in time
constexpr int kRecoveryDamaged = 96;     // the recovery package beside the ROM does not unpack

// The marker of a row (narrow, as the scripts print it); null past the table.
const char* Marker(int step);
// The step's own text; empty for steps without one.
std::wstring StepText(int step);
// Title, animation and the fraction of the bar the step may fill.
std::wstring Title(int step);
std::wstring Animation(int step);
double TargetFraction(int step);
// What the result page says when the run stopped at `step`.
std::wstring ResultText(int step);

// Success or one of the failures: the run is over.
inline bool IsFinal(int step) { return step >= kSucceeded; }
inline bool IsFailure(int step) { return step > kSucceeded; }

}  // namespace flashsteps
