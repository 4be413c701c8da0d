#include "algo/surface/private/blit.hpp"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "algo/system/private/cpu.hpp"
#include "basic/assert.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace algo::blit {

namespace {

// Pixels the engine may touch directly, as SDL would: plain memory, not locked, not run-length
// encoded.
bool plainMemory(const SDL_Surface* s) {
    return s->pixels && s->locked == 0 && !mustLock(s);
}

Vectors widest() {
    for (Vectors v : {Vectors::avx512, Vectors::avx2, Vectors::sse2})
        if (has(v)) return v;
    return Vectors::none;
}

Vectors& chosen() {
    static Vectors v = widest();
    return v;
}

// Keyed copy of one row of 16-bit pixels: a pixel equal to the key is left out.
void keyedRow16Scalar(const Uint16* s, Uint16* d, int w, Uint32 key) {
    for (int i = 0; i < w; ++i)
        if (s[i] != key) d[i] = s[i];
}

#if defined(__SSE2__)
void keyedRows16Sse2(const Uint8* src, int srcPitch, Uint8* dst, int dstPitch, int w, int h,
                     Uint16 key) {
    const __m128i k = _mm_set1_epi16(static_cast<short>(key));
    for (int y = 0; y < h; ++y, src += srcPitch, dst += dstPitch) {
        const auto* s = reinterpret_cast<const Uint16*>(src);
        auto* d = reinterpret_cast<Uint16*>(dst);
        int i = 0;
        for (; i + 8 <= w; i += 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            const __m128i keyed = _mm_cmpeq_epi16(v, k);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                             _mm_or_si128(_mm_and_si128(keyed, o), _mm_andnot_si128(keyed, v)));
        }
        keyedRow16Scalar(s + i, d + i, w - i, key);
    }
}
#endif

#ifdef ALGO_X86
__attribute__((target("avx2"))) void keyedRows16Avx2(const Uint8* src, int srcPitch, Uint8* dst,
                                                     int dstPitch, int w, int h, Uint16 key) {
    const __m256i k = _mm256_set1_epi16(static_cast<short>(key));
    for (int y = 0; y < h; ++y, src += srcPitch, dst += dstPitch) {
        const auto* s = reinterpret_cast<const Uint16*>(src);
        auto* d = reinterpret_cast<Uint16*>(dst);
        int i = 0;
        for (; i + 16 <= w; i += 16) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
            const __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
            const __m256i keyed = _mm256_cmpeq_epi16(v, k);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(v, o, keyed));
        }
        keyedRow16Scalar(s + i, d + i, w - i, key);
    }
}

// Masked stores: the target is never read back, so a tile overlapping the one just drawn
// does not wait on its stores.
__attribute__((target("avx2,avx512bw,avx512vl"))) void keyedRows16Avx512(const Uint8* src,
                                                                         int srcPitch, Uint8* dst,
                                                                         int dstPitch, int w, int h,
                                                                         Uint16 key) {
    const __m256i k = _mm256_set1_epi16(static_cast<short>(key));
    const int tail = w % 16;
    const auto tailMask = static_cast<__mmask16>((1u << tail) - 1);
    for (int y = 0; y < h; ++y, src += srcPitch, dst += dstPitch) {
        const auto* s = reinterpret_cast<const Uint16*>(src);
        auto* d = reinterpret_cast<Uint16*>(dst);
        int i = 0;
        for (; i + 16 <= w; i += 16) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
            _mm256_mask_storeu_epi16(d + i, _mm256_cmpneq_epi16_mask(v, k), v);
        }
        if (tail) {
            const __m256i v = _mm256_maskz_loadu_epi16(tailMask, s + i);
            _mm256_mask_storeu_epi16(d + i, _mm256_mask_cmpneq_epi16_mask(tailMask, v, k), v);
        }
    }
}
#endif

void keyedRows16(const Uint8* src, int srcPitch, Uint8* dst, int dstPitch, int w, int h,
                 Uint32 key) {
    if (key > 0xFFFF) {  // no 16-bit pixel can equal it: every pixel is copied
        for (int y = 0; y < h; ++y)
            std::memcpy(dst + y * dstPitch, src + y * srcPitch, static_cast<std::size_t>(w) * 2);
        return;
    }
    const auto k = static_cast<Uint16>(key);
    switch (chosen()) {
#ifdef ALGO_X86
        case Vectors::avx512:
            keyedRows16Avx512(src, srcPitch, dst, dstPitch, w, h, k);
            return;
        case Vectors::avx2:
            keyedRows16Avx2(src, srcPitch, dst, dstPitch, w, h, k);
            return;
#endif
#if defined(__SSE2__)
        case Vectors::sse2:
            keyedRows16Sse2(src, srcPitch, dst, dstPitch, w, h, k);
            return;
#endif
        default:
            for (int y = 0; y < h; ++y)
                keyedRow16Scalar(reinterpret_cast<const Uint16*>(src + y * srcPitch),
                                 reinterpret_cast<Uint16*>(dst + y * dstPitch), w, k);
    }
}

}  // namespace

bool mustLock(const SDL_Surface* s) {
    return s->offset != 0 || (s->flags & (SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RLEACCEL)) != 0;
}

bool sameDirectFormat(const SDL_PixelFormat* a, const SDL_PixelFormat* b) {
    return !a->palette && !b->palette && a->BitsPerPixel == b->BitsPerPixel &&
           a->BytesPerPixel == b->BytesPerPixel && a->Rmask == b->Rmask && a->Gmask == b->Gmask &&
           a->Bmask == b->Bmask && a->Amask == b->Amask;
}

bool has(Vectors v) {
    switch (v) {
        case Vectors::none:
            return true;
        case Vectors::sse2:
#if defined(__SSE2__)
            return true;
#else
            return false;
#endif
        case Vectors::avx2:
            return cpu::hasAvx2();
        case Vectors::avx512:
            return cpu::hasAvx512bw();
    }
    return false;
}

Vectors vectors() {
    return chosen();
}

void useVectors(Vectors v) {
    BASIC_ASSERT(has(v), "keyed copy variant the processor does not have");
    chosen() = v;
}

bool copy(SDL_Surface* from, const SDL_Rect* srcRect, SDL_Surface* to, int x, int y) {
    if (from == to || !plainMemory(from) || !plainMemory(to)) return false;
    const SDL_PixelFormat* f = from->format;
    if (!sameDirectFormat(f, to->format) || f->Amask != 0 || (from->flags & SDL_SRCALPHA))
        return false;
    const bool keyed = (from->flags & SDL_SRCCOLORKEY) != 0;
    const int bpp = f->BytesPerPixel;
    if (!(bpp == 2 || (bpp == 4 && !keyed))) return false;

    // SDL_UpperBlit's clipping: the source rectangle to the source, then the target's clip
    // rectangle, moving the start of both where the left or top edge is cut.
    int srcX = 0, srcY = 0, w = from->w, h = from->h;
    if (srcRect) {
        srcX = srcRect->x;
        w = srcRect->w;
        if (srcX < 0) {
            w += srcX;
            x -= srcX;
            srcX = 0;
        }
        w = std::min(w, from->w - srcX);
        srcY = srcRect->y;
        h = srcRect->h;
        if (srcY < 0) {
            h += srcY;
            y -= srcY;
            srcY = 0;
        }
        h = std::min(h, from->h - srcY);
    }
    const SDL_Rect& clip = to->clip_rect;
    if (const int dx = clip.x - x; dx > 0) {
        w -= dx;
        x += dx;
        srcX += dx;
    }
    if (const int dx = x + w - clip.x - clip.w; dx > 0) w -= dx;
    if (const int dy = clip.y - y; dy > 0) {
        h -= dy;
        y += dy;
        srcY += dy;
    }
    if (const int dy = y + h - clip.y - clip.h; dy > 0) h -= dy;
    if (w <= 0 || h <= 0) return true;

    const auto* src = static_cast<const Uint8*>(from->pixels) + srcY * from->pitch + srcX * bpp;
    auto* dst = static_cast<Uint8*>(to->pixels) + y * to->pitch + x * bpp;
    if (keyed) {
        keyedRows16(src, from->pitch, dst, to->pitch, w, h, f->colorkey);
    } else {
        for (int row = 0; row < h; ++row)
            std::memcpy(dst + row * to->pitch, src + row * from->pitch,
                        static_cast<std::size_t>(w) * bpp);
    }
    return true;
}

bool fill(SDL_Surface* s, Uint32 pixel) {
    if (!plainMemory(s) || s->format->palette) return false;
    const int bpp = s->format->BytesPerPixel;
    if (bpp != 2 && bpp != 4) return false;
    const SDL_Rect& clip = s->clip_rect;
    if (clip.w <= 0 || clip.h <= 0) return true;
    auto* first = static_cast<Uint8*>(s->pixels) + clip.y * s->pitch + clip.x * bpp;
    const auto bytes = static_cast<std::size_t>(clip.w) * bpp;
    const Uint8 low = static_cast<Uint8>(pixel);
    const bool oneByte = bpp == 2 ? (pixel & 0xFFFF) == low * 0x0101u : pixel == low * 0x01010101u;
    if (oneByte) {
        for (int y = 0; y < clip.h; ++y) std::memset(first + y * s->pitch, low, bytes);
        return true;
    }
    if (bpp == 2)
        std::fill_n(reinterpret_cast<Uint16*>(first), clip.w, static_cast<Uint16>(pixel));
    else
        std::fill_n(reinterpret_cast<Uint32*>(first), clip.w, pixel);
    for (int y = 1; y < clip.h; ++y) std::memcpy(first + y * s->pitch, first, bytes);
    return true;
}

}  // namespace algo::blit
