#pragma once
// What the processor offers, for the engine's own vector paths. Not installed.
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ALGO_X86 1
#endif

namespace algo::cpu {

#ifdef ALGO_X86
// Each asked once; the answers cannot change while the program runs.
inline bool hasAvx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}
inline bool hasAvx512bw() {
    static const bool yes =
        __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl");
    return yes;
}
inline bool hasCarrylessMultiply() {
    static const bool yes = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return yes;
}
#else
inline bool hasAvx2() {
    return false;
}
inline bool hasAvx512bw() {
    return false;
}
inline bool hasCarrylessMultiply() {
    return false;
}
#endif

}  // namespace algo::cpu
