// The steps of a flash: the marker each script prints when it reaches one,
// the text, title, animation and progress target the page shows for it, and
// what ends a run.
#pragma once

#include <string>

namespace flashsteps {

// Steps 0..17 have a marker; 80 and 90 are set by the procedure itself.
constexpr int kRowCount = 18;
constexpr int kPushing = 9;         // "%%": the ROM is being pushed
constexpr int kSucceeded = 14;      // "brush-bat-end==="
constexpr int kFirstFailure = 15;   // 15..17 are failure markers
constexpr int kRootNeeded = 80;
constexpr int kScriptsMissing = 90;

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
