#include "algo/file/logger.hpp"

#include <cinttypes>
#include <cstdio>
#include <stdexcept>

#include "algo/timer/timestamp.hpp"

namespace algo {

namespace logger {
bool enabled = true;
}

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
    std::string line = formatLogLine(timestamp(), message);
    // Length-bounded, so percent signs in the message are written as they stand.
    std::printf("%.*s", static_cast<int>(line.size()), line.data());
}

namespace logger {

void moduleStart() {
    if (!std::freopen("stdout.txt", "w", stdout))
        throw std::runtime_error("stdout.txt がオープンできません。");
    if (!std::freopen("stderr.txt", "w", stderr))
        throw std::runtime_error("stderr.txt がオープンできません。");
    std::printf("ログ開始\n");
}

void moduleEnd() {
    std::printf("ログ終了\n");
    std::fclose(stdout);
    std::fclose(stderr);
}

}  // namespace logger
}  // namespace algo
