#pragma once
// Standard output and error go to "stdout.txt" / "stderr.txt"; log lines carry a time stamp.
#include <cstdint>
#include <string>
#include <string_view>

namespace algo {

// One line: "%16d: %s\n" with the cycle count since start-up.
void log(std::string_view message);

// The line `log` would write for a given count (without writing it).
std::string formatLogLine(std::int64_t stamp, std::string_view message);

namespace logger {
// Nothing in the program turns logging off; tests do.
extern bool enabled;
// Writes the line to the standard error the process had before the logger sent it to
// "stderr.txt" (the terminal, as a rule). Nothing while the logger has not taken it over.
void toTerminal(std::string_view line);
void moduleStart();
void moduleEnd();
}  // namespace logger

}  // namespace algo
