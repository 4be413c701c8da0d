#include "tools/levels/terminal.hpp"

#include <fcntl.h>
#include <unistd.h>

#include "algo/file/logger.hpp"

namespace levels {

namespace {

std::FILE* copyOf(int fd) {
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    return copy < 0 ? nullptr : ::fdopen(copy, "w");
}

}  // namespace

Terminal::Terminal() : out_(copyOf(STDOUT_FILENO)), err_(copyOf(STDERR_FILENO)) {
    live_ = err_ && ::isatty(::fileno(err_));
}

Terminal::~Terminal() {
    endProgress();
    if (out_) std::fclose(out_);
    if (err_) std::fclose(err_);
}

void Terminal::line(const std::string& text) {
    endProgress();
    if (out_) {
        std::fprintf(out_, "%s\n", text.c_str());
        std::fflush(out_);
    }
    if (algo::logger::running()) algo::log(text);
}

void Terminal::progress(const std::string& text) {
    if (!live_) return;
    std::fprintf(err_, "\r\033[K%s", text.c_str());
    std::fflush(err_);
    shown_ = true;
}

void Terminal::endProgress() {
    if (!shown_) return;
    std::fputs("\r\033[K", err_);
    std::fflush(err_);
    shown_ = false;
}

}  // namespace levels
