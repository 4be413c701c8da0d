#pragma once
// What a start-up probe tells game_bench: labelled readings, one "label value" line each,
// written at once to the descriptor game_bench named on its command line. Times are
// CLOCK_MONOTONIC nanoseconds, the clock std::chrono::steady_clock reads in game_bench.
#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace probe {

inline long long nowNs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1'000'000'000LL + t.tv_nsec;
}

// Shared objects loaded so far (the program itself and the vDSO not counted).
inline long long libraries() {
    long long n = 0;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* count) {
            if (info->dlpi_name && info->dlpi_name[0] == '/') ++*static_cast<long long*>(count);
            return 0;
        },
        &n);
    return n;
}

class Marks {
  public:
    void add(const char* label, long long value) {
        if (count_ < kMax) items_[count_++] = {label, value};
    }
    void mark(const char* label) { add(label, nowNs()); }

    // Sends everything to the descriptor in argv[1] and leaves at once: what the program
    // would do next (its own end) is not start-up.
    [[noreturn]] void sendAndExit(const char* fdText) {
        char text[kMax * 48];
        int n = 0;
        for (int i = 0; i < count_; ++i)
            n += std::snprintf(text + n, sizeof text - static_cast<std::size_t>(n), "%s %lld\n",
                               items_[i].label, items_[i].value);
        const int fd = fdText ? std::atoi(fdText) : -1;
        for (int done = 0; fd >= 0 && done < n;) {
            const ssize_t w = ::write(fd, text + done, static_cast<std::size_t>(n - done));
            if (w <= 0) break;
            done += static_cast<int>(w);
        }
        std::_Exit(0);
    }

  private:
    static constexpr int kMax = 16;
    struct Item {
        const char* label;
        long long value;
    };
    Item items_[kMax]{};
    int count_ = 0;
};

}  // namespace probe
