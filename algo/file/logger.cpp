#include "algo/file/logger.hpp"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>

#include "algo/file/private/freshfile.hpp"
#include "algo/timer/timestamp.hpp"
#include "basic/error.hpp"

namespace algo {

namespace logger {
bool enabled = true;

namespace {
// A copy of the standard error descriptor from before the redirection; -1 when none.
int terminal = -1;
// The log file's descriptor, written to directly by the signal handler.
int logFile = -1;
bool started = false;
FaultExplainer explainer = nullptr;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kFatalCount = static_cast<int>(sizeof kFatalSignals / sizeof kFatalSignals[0]);
struct sigaction previous[kFatalCount];
// The handler's own stack: a fault caused by a stack that ran out must still be reported.
constexpr std::size_t kSignalStackSize = 64 * 1024;
void* signalStack = nullptr;
stack_t previousStack{};
std::terminate_handler previousTerminate = nullptr;

// Everything below runs inside a signal handler: no allocation, no stdio, write(2) only.
void writeAll(int fd, const char* text, std::size_t length) {
    while (length > 0) {
        ssize_t n = ::write(fd, text, length);
        if (n <= 0) return;
        text += n;
        length -= static_cast<std::size_t>(n);
    }
}

const char* signalName(int sig, const char** meaning) {
    switch (sig) {
        case SIGSEGV:
            *meaning = "segmentation fault: memory that is not the program's";
            return "SIGSEGV";
        case SIGBUS:
            *meaning = "bus error";
            return "SIGBUS";
        case SIGFPE:
            *meaning = "arithmetic error, such as an integer division by zero";
            return "SIGFPE";
        case SIGILL:
            *meaning = "illegal instruction";
            return "SIGILL";
        default:
            *meaning = "the program aborted";
            return "SIGABRT";
    }
}

// "%16" PRId64 ": " without snprintf, which is not async-signal-safe.
std::size_t stampPrefix(std::int64_t stamp, char* out) {
    char digits[24];
    std::size_t n = 0;
    const bool negative = stamp < 0;
    std::uint64_t v =
        negative ? 0 - static_cast<std::uint64_t>(stamp) : static_cast<std::uint64_t>(stamp);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    if (negative) digits[n++] = '-';
    std::size_t length = 0;
    for (std::size_t pad = n; pad < 16; ++pad) out[length++] = ' ';
    while (n > 0) out[length++] = digits[--n];
    out[length++] = ':';
    out[length++] = ' ';
    return length;
}

std::size_t append(char* out, std::size_t at, std::size_t size, const char* text) {
    while (*text && at < size) out[at++] = *text++;
    return at;
}

void onFatalSignal(int sig, siginfo_t* info, void*) {
    char line[512];
    std::size_t length = 0;
    if (explainer) length = explainer(sig, info ? info->si_addr : nullptr, line, sizeof line - 1);
    if (length == 0) {
        const char* meaning = "";
        const char* name = signalName(sig, &meaning);
        length = append(line, 0, sizeof line - 1, "fatal signal ");
        length = append(line, length, sizeof line - 1, name);
        length = append(line, length, sizeof line - 1, " (");
        length = append(line, length, sizeof line - 1, meaning);
        length = append(line, length, sizeof line - 1, ")");
    }
    line[length++] = '\n';
    if (enabled && logFile >= 0) {
        char prefix[48];
        const std::size_t p = stampPrefix(timestamp(), prefix);
        writeAll(logFile, prefix, p);
        writeAll(logFile, line, length);
    }
    if (terminal >= 0) writeAll(terminal, line, length);
    // The signal's own ending (and status), as if nothing had been installed.
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigemptyset(&plain.sa_mask);
    sigaction(sig, &plain, nullptr);
    raise(sig);
}

// An error nothing caught (one outside std::exception, or thrown from a destructor): the
// line says what it was before abort's signal line.
[[noreturn]] void onTerminate() {
    std::string line = "terminate: ";
    if (std::exception_ptr error = std::current_exception()) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            line += basic::describe(e);
        } catch (...) {
            line += "an error that is not a std::exception";
        }
    } else {
        line += "called without an error in flight";
    }
    log(line);
    toTerminal(line);
    std::abort();
}

void installFatalHandlers() {
    void* stack = mmap(nullptr, kSignalStackSize, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack != MAP_FAILED) {
        stack_t alt{};
        alt.ss_sp = stack;
        alt.ss_size = kSignalStackSize;
        if (sigaltstack(&alt, &previousStack) == 0)
            signalStack = stack;
        else
            munmap(stack, kSignalStackSize);
    }
    struct sigaction action {};
    action.sa_sigaction = &onFatalSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kFatalCount; ++i) sigaction(kFatalSignals[i], &action, &previous[i]);
    previousTerminate = std::set_terminate(&onTerminate);
}

void removeFatalHandlers() {
    std::set_terminate(previousTerminate);
    for (int i = 0; i < kFatalCount; ++i) sigaction(kFatalSignals[i], &previous[i], nullptr);
    if (signalStack) {
        sigaltstack(&previousStack, nullptr);
        munmap(signalStack, kSignalStackSize);
        signalStack = nullptr;
    }
}

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
    // Printed straight into the stream's buffer: a line logged in steady play allocates
    // nothing. Length-bounded, so percent signs are written as they stand. Standard output is
    // line-buffered while the logger runs: the line is in the file on return.
    std::printf("%16" PRId64 ": %.*s\n", timestamp(), static_cast<int>(message.size()),
                message.data());
}

namespace logger {

bool running() {
    return started;
}

void setFaultExplainer(FaultExplainer e) {
    explainer = e;
}

void toTerminal(std::string_view line) {
    if (terminal < 0) return;
    std::string text(line);
    text.push_back('\n');
    writeAll(terminal, text.data(), text.size());  // nobody to tell: the log files still have it
}

void moduleStart() {
    if (!freshfile::reopen("stdout.txt", stdout))
        throw std::runtime_error("stdout.txt がオープンできません。");
    // Every line goes to the file as it is written: a crash must not take the log with it.
    std::setvbuf(stdout, nullptr, _IOLBF, BUFSIZ);
    logFile = fileno(stdout);
    std::fflush(stderr);
    // Kept only once standard error is about to change: before that, it is the terminal.
    terminal = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (!freshfile::reopen("stderr.txt", stderr))
        throw std::runtime_error("stderr.txt がオープンできません。");
    std::printf("ログ開始\n");
    started = true;
    installFatalHandlers();
}

void moduleEnd() {
    removeFatalHandlers();
    started = false;
    std::printf("ログ終了\n");
    std::fclose(stdout);
    std::fclose(stderr);
    logFile = -1;
    freshfile::release();
    if (terminal >= 0) ::close(terminal);
    terminal = -1;
}

}  // namespace logger
}  // namespace algo
