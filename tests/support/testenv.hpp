#pragma once
// Helpers shared by the test programs.
#include <cstdint>
#include <string>
#include <vector>

namespace testenv {

// The test's private working directory (stdout.txt and stderr.txt live here).
const std::string& workDir();
// Repository root and build directory.
std::string sourceDir();
std::string binaryDir();

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

// Everything the logger has written to stdout.txt so far.
std::string logText();

// Writes to the terminal the test runner reports on (not to the redirected streams).
void report(const char* fmt, ...);

}  // namespace testenv
