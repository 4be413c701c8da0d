#pragma once
/// @file
/// Standard output and error go to "stdout.txt" / "stderr.txt"; log lines carry a time stamp.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace algo {

/// Writes one line to the log, "stdout.txt": the cycle count since the engine started
/// (timestamp()), right-aligned in 16 characters, ": " and the text (percent signs are written
/// as they stand). Each line reaches the file when it is written, so a crash loses none of
/// them. Allocates nothing and raises nothing. Before the engine starts, the same line goes to
/// the process's own standard output; nothing is written while logger::enabled is false.
///
/// @code
/// algo::log("level " + std::to_string(level) + " loaded");
/// @endcode
void log(std::string_view message);

/// The line `log` would write for a given count, line break included (without writing it).
std::string formatLogLine(std::int64_t stamp, std::string_view message);

/// The logger module: the redirection of both standard streams, the first and last log lines,
/// and the last line of a program that dies of a signal.
namespace logger {
/// Whether log writes anything (true unless changed). Nothing in the program turns logging
/// off; tests do.
extern bool enabled;
/// True from the logger's start (the engine's first real step) to its end: engine calls that
/// need the engine check it to refuse clearly what would otherwise crash before main.
bool running();
/// Writes the line to the standard error the process had before the logger sent it to
/// "stderr.txt" (the terminal, as a rule). Nothing while the logger has not taken it over.
void toTerminal(std::string_view line);

/// What a fault explainer is: called inside the signal handler with the signal and the faulting
/// address, it may only do what is async-signal-safe; it writes its line into `out` (at most
/// `size` bytes, no line break) and returns its length, or 0 to leave the plain signal line.
using FaultExplainer = std::size_t (*)(int signal, const void* address, char* out,
                                       std::size_t size);
/// While the engine runs, a fatal signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) writes one
/// last line to the log and the terminal ("fatal signal SIGSEGV (...)"), then ends the process
/// with the signal's own status. A module that can tell what a fault was (a task that ran off
/// its stack) sets an explainer, whose line replaces that one; there is one explainer per
/// program, the last one set (null: none).
void setFaultExplainer(FaultExplainer explainer);

/// The module's start, run by algo::Engine just after the time stamps' zero point: sends
/// standard output to a new "stdout.txt" (line-buffered) and standard error to a new
/// "stderr.txt" in the working directory, writes "ログ開始", and installs the fatal-signal and
/// terminate handlers. A file that cannot be opened is a std::runtime_error
/// ("stdout.txt がオープンできません。", "stderr.txt がオープンできません。"). Programs do not
/// call it.
void moduleStart();
/// The module's end, run last by algo::Engine: removes the handlers, writes "ログ終了" and
/// closes both files.
void moduleEnd();
}  // namespace logger

}  // namespace algo
