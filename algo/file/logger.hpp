#pragma once
// Standard output and error go to "stdout.txt" / "stderr.txt"; log lines carry a time stamp.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace algo {

/// Writes one line to the log, "stdout.txt": the cycle count since the engine started,
/// right-aligned in 16 characters, ": " and the text (percent signs are written as they
/// stand). Each line reaches the file when it is written, so a crash loses none of them.
///
/// @code
/// algo::log("level " + std::to_string(level) + " loaded");
/// @endcode
void log(std::string_view message);

// The line `log` would write for a given count (without writing it).
std::string formatLogLine(std::int64_t stamp, std::string_view message);

namespace logger {
// Nothing in the program turns logging off; tests do.
extern bool enabled;
// True from the logger's start (the engine's first real step) to its end: engine calls that
// need the engine check it to refuse clearly what would otherwise crash before main.
bool running();
// Writes the line to the standard error the process had before the logger sent it to
// "stderr.txt" (the terminal, as a rule). Nothing while the logger has not taken it over.
void toTerminal(std::string_view line);

// While the engine runs, a fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) writes one
// last line to the log and the terminal, then ends the process with the signal's own status.
// A module that can tell what a fault was (a task that ran off its stack) sets an explainer:
// called inside the signal handler, it may only do what is async-signal-safe; it writes its
// line into `out` (at most `size` bytes, no line break) and returns its length, or 0 to
// leave the plain signal line.
using FaultExplainer = std::size_t (*)(int signal, const void* address, char* out,
                                       std::size_t size);
void setFaultExplainer(FaultExplainer explainer);

void moduleStart();
void moduleEnd();
}  // namespace logger

}  // namespace algo
