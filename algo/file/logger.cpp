#include "algo/file/logger.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <stdexcept>

#include "algo/file/private/freshfile.hpp"
#include "algo/timer/timestamp.hpp"

namespace algo {

namespace logger {
bool enabled = true;

namespace {
// A copy of the standard error descriptor from before the redirection; -1 when none.
int terminal = -1;
}  // namespace
}  // namespace logger

std::string formatLogLine(std::int64_t stamp, std::string_view message) {
    char head[32];
    int n = std::snprintf(head, sizeof head, "%16" PRId64 ": ", stamp);
    std::string line(head, static_cast<std::size_t>(n));
    line.append(message);
    line.push_back('\n');
    return line;
}

void log(std::string_view message) {
    if (!logger::enabled) return;
    // formatLogLine's line, printed straight into the stream's buffer: a line logged in steady
    // play allocates nothing. Length-bounded, so percent signs are written as they stand.
    std::printf("%16" PRId64 ": %.*s\n", timestamp(), static_cast<int>(message.size()),
                message.data());
}

namespace logger {

void toTerminal(std::string_view line) {
    if (terminal < 0) return;
    std::string text(line);
    text.push_back('\n');
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(terminal, text.data() + done, text.size() - done);
        if (n <= 0) return;  // nobody to tell: the log files still have it
        done += static_cast<std::size_t>(n);
    }
}

void moduleStart() {
    if (!freshfile::reopen("stdout.txt", stdout))
        throw std::runtime_error("stdout.txt がオープンできません。");
    std::fflush(stderr);
    // Kept only once standard error is about to change: before that, it is the terminal.
    terminal = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (!freshfile::reopen("stderr.txt", stderr))
        throw std::runtime_error("stderr.txt がオープンできません。");
    std::printf("ログ開始\n");
}

void moduleEnd() {
    std::printf("ログ終了\n");
    std::fclose(stdout);
    std::fclose(stderr);
    freshfile::release();
    if (terminal >= 0) ::close(terminal);
    terminal = -1;
}

}  // namespace logger
}  // namespace algo
