#include "algo/file/private/crc32.hpp"

#include <zlib.h>

#include <algorithm>

#include "algo/system/private/cpu.hpp"

namespace algo {

namespace {

#ifdef ALGO_X86
__attribute__((target("pclmul,sse4.1"))) inline __m128i load(const std::uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// x times the folding constants, added to the next 128 bits.
__attribute__((target("pclmul,sse4.1"))) inline __m128i fold(__m128i x, __m128i k, __m128i next) {
    return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), next),
                         _mm_clmulepi64_si128(x, k, 0x11));
}

// Folds 64 bytes at a time with carry-less multiplies and reduces the remainder by Barrett's
// method; `crc` is the inverted register. The size is a multiple of 16 and at least 64.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t foldCrc(const std::uint8_t* p, std::size_t n,
                                                               std::uint32_t crc) {
    // Powers of x modulo the reflected polynomial for folding across 512 and 128 bits and for
    // the last 64, then the polynomial and its Barrett quotient.
    const __m128i k1k2 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
    const __m128i k3k4 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
    const __m128i k5 = _mm_set_epi64x(0, 0x163cd6124);
    const __m128i poly = _mm_set_epi64x(0x1f7011641, 0x1db710641);
    const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
    __m128i x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = load(p + 16), x3 = load(p + 32), x4 = load(p + 48);
    p += 64;
    n -= 64;
    for (; n >= 64; p += 64, n -= 64) {
        x1 = fold(x1, k1k2, load(p));
        x2 = fold(x2, k1k2, load(p + 16));
        x3 = fold(x3, k1k2, load(p + 32));
        x4 = fold(x4, k1k2, load(p + 48));
    }
    x1 = fold(x1, k3k4, x2);
    x1 = fold(x1, k3k4, x3);
    x1 = fold(x1, k3k4, x4);
    for (; n >= 16; p += 16, n -= 16) x1 = fold(x1, k3k4, load(p));

    // 128 bits to 64, then to 32.
    __m128i x2r = _mm_clmulepi64_si128(x1, k3k4, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2r);
    x2r = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), k5, 0x00), x2r);
    x2r = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), poly, 0x10);
    x2r = _mm_clmulepi64_si128(_mm_and_si128(x2r, low32), poly, 0x00);
    x1 = _mm_xor_si128(x1, x2r);
    return static_cast<std::uint32_t>(_mm_extract_epi32(x1, 1));
}
#endif

}  // namespace

std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
#ifdef ALGO_X86
    if (cpu::hasCarrylessMultiply() && size >= 64) {
        const std::size_t whole = size & ~std::size_t{15};
        crc = ~foldCrc(data, whole, ~crc);
        data += whole;
        size -= whole;
    }
#endif
    while (size > 0) {  // zlib takes its length as a 32-bit unsigned
        const auto n = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
        crc = static_cast<std::uint32_t>(::crc32(crc, data, n));
        data += n;
        size -= n;
    }
    return crc;
}

}  // namespace algo
