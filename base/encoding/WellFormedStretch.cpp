#include "encoding/WellFormedStretch.h"

#include <algorithm>
#include <array>
#include <bit>
#include <type_traits>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Utf8Scan {

namespace {

template <typename Breaks> struct BreakBytes;
template <> struct BreakBytes<TextLines::FileBreaksOtherThanLf> {
    static constexpr std::array<Byte, 2> bytes{'\r', '\0'};
};
template <> struct BreakBytes<TextLines::TextBreaks> {
    static constexpr std::array<Byte, 2> bytes{'\r', '\n'};
};
template <> struct BreakBytes<NoBreaks> {
    static constexpr std::array<Byte, 0> bytes{};
};

#if defined(__x86_64__)

// The vector paths look at 64 bytes at a time: a block. Each of its bytes is checked in the
// light of the three bytes before it (the earlier blocks', or ASCII before the start), which is
// all that the well-formedness of UTF-8 depends on:
// - a byte is a continuation exactly when one of the three before it starts a sequence long
//   enough to reach it (C0-DF the next byte, E0-EF two, F0-F7 three);
// - C0, C1 and F5-FF never occur, and after E0, ED, F0 and F4 the next byte has a narrower
//   range (no overlongs, no surrogates, nothing above U+10FFFF).
// A flag lands on the offending byte or before; a block with a flag is left to the scalar walk.

// A sequence boundary at or before x (and not before p) with everything from p to it checked:
// the bytes before x are, but a sequence may begin in the last three of them.
inline const Byte* checkedBoundaryBefore(const Byte* x, const Byte* p)
{
    const Byte* q = x - p > 3 ? x - 3 : p;
    while (q > p && isContinuation(*q))
        --q;
    return q;
}

struct BlockScan {
    // Where the stretch ends, or else where the scalar walk is to go on from.
    const Byte* at;
    bool ended;
};

// Short of the buffer's end, the scalar walk stops at the first point of its grid at or past
// `stop`: it steps a word at a time, and after a word with a multi-byte sequence from the
// boundary that follows the word. Handing over to it on that grid keeps its result.
class ScalarGrid {
public:
    explicit ScalarGrid(const Byte* p) : m_last(p), m_next(p) {}

    const Byte* last() const { return m_last; }

    // Walks the grid through a block that is well-formed up to its end, given its continuation
    // bytes; returns the first point at or past `stop`, if the grid reaches one there.
    const Byte* walk(const Byte* base, std::uint64_t continuations, const Byte* stop)
    {
        qsizetype offset = m_next - base;
        if (!continuations && offset < 64) {
            const qsizetype steps = (63 - offset) / 8;
            if (base + offset + 8 * steps >= stop)
                return base + offset + 8 * ((stop - base - offset + 7) / 8);
            m_last = base + offset + 8 * steps;
            offset += 8 * (steps + 1);
        }
        while (offset < 64) {
            // Continuation bytes to the end of the block are stepped over in the next one.
            offset = std::min<qsizetype>(64, offset + std::countr_zero(~continuations >> offset));
            if (offset == 64)
                break;
            if (base + offset >= stop)
                return base + offset;
            m_last = base + offset;
            offset += 8;
        }
        m_next = base + offset;
        return nullptr;
    }

private:
    const Byte* m_last; // the last point, in a checked block
    const Byte* m_next; // the next, less the continuation bytes to step over at it
};

// With a byte shuffle to look values up in, most of the flaws come from three 16-entry tables:
// each kind of flaw is a condition on the earlier byte's high nibble, its low nibble and the
// later byte's high nibble, one bit in each table. Only a continuation byte that a lead two
// or three bytes back calls for is checked apart.
struct NibbleTables {
    std::array<Byte, 16> earlierHigh{}, earlierLow{}, laterHigh{};
};

constexpr std::uint16_t nibbles(int from, int to)
{
    std::uint16_t set = 0;
    for (int n = from; n <= to; ++n)
        set |= std::uint16_t(1u << n);
    return set;
}

constexpr NibbleTables makeNibbleTables()
{
    struct Flaw {
        Byte bit;
        std::uint16_t earlierHigh, earlierLow, laterHigh;
    };
    const Flaw flaws[] = {
        {0x01, nibbles(0xC, 0xF), nibbles(0, 0xF), nibbles(0, 7) | nibbles(0xC, 0xF)}, // cut short
        {0x02, nibbles(0, 7), nibbles(0, 0xF), nibbles(8, 0xB)},         // continuation after ASCII
        {0x04, nibbles(0xE, 0xE), nibbles(0, 0), nibbles(8, 9)},         // E0 80-9F: overlong
        {0x08, nibbles(0xF, 0xF), nibbles(4, 0xF), nibbles(9, 0xB)},     // above U+10FFFF
        {0x10, nibbles(0xE, 0xE), nibbles(0xD, 0xD), nibbles(0xA, 0xB)}, // ED A0-BF: surrogate
        {0x20, nibbles(0xC, 0xC), nibbles(0, 1), nibbles(8, 0xB)},       // C0, C1: overlong
        // F0 80-8F overlong, F5-FF 80-8F above U+10FFFF
        {0x40, nibbles(0xF, 0xF), nibbles(0, 0) | nibbles(5, 0xF), nibbles(8, 8)},
        // continuation after continuation: right only where a lead two or three back calls for it
        {0x80, nibbles(8, 0xB), nibbles(0, 0xF), nibbles(8, 0xB)},
    };
    NibbleTables tables;
    for (const Flaw& flaw : flaws) {
        for (int n = 0; n < 16; ++n) {
            if (flaw.earlierHigh >> n & 1)
                tables.earlierHigh[n] |= flaw.bit;
            if (flaw.earlierLow >> n & 1)
                tables.earlierLow[n] |= flaw.bit;
            if (flaw.laterHigh >> n & 1)
                tables.laterHigh[n] |= flaw.bit;
        }
    }
    return tables;
}

constexpr NibbleTables Nibbles = makeNibbleTables();

struct Sse2 {
    using V = __m128i;
    static constexpr int Width = 16;
    static V load(const Byte* p) { return _mm_loadu_si128(reinterpret_cast<const V*>(p)); }
    static V set1(Byte b) { return _mm_set1_epi8(char(b)); }
    static V zero() { return _mm_setzero_si128(); }
    static V orV(V a, V b) { return _mm_or_si128(a, b); }
    static V andV(V a, V b) { return _mm_and_si128(a, b); }
    static V xorV(V a, V b) { return _mm_xor_si128(a, b); }
    static V eq(V a, V b) { return _mm_cmpeq_epi8(a, b); }
    // Signed byte comparisons.
    static V gt(V a, V b) { return _mm_cmpgt_epi8(a, b); }
    static V lt(V a, V b) { return _mm_cmplt_epi8(a, b); }
    static V subsU(V a, V b) { return _mm_subs_epu8(a, b); }
    static V maxU(V a, V b) { return _mm_max_epu8(a, b); }
    static std::uint64_t mask(V a) { return std::uint32_t(_mm_movemask_epi8(a)); }
    // v shifted later by N bytes, the last N bytes of `before` filling in.
    template <int N> static V prev(V v, V before)
    {
        return _mm_or_si128(_mm_slli_si128(v, N), _mm_srli_si128(before, 16 - N));
    }
};

namespace sse2 {
#include "encoding/WellFormedStretchBlocks.inc"
} // namespace sse2

// Everything from here to the matching pop is compiled for AVX2, and only called once the
// processor is known to have it.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

struct Avx2 {
    using V = __m256i;
    static constexpr int Width = 32;
    static V load(const Byte* p) { return _mm256_loadu_si256(reinterpret_cast<const V*>(p)); }
    static V set1(Byte b) { return _mm256_set1_epi8(char(b)); }
    static V zero() { return _mm256_setzero_si256(); }
    static V orV(V a, V b) { return _mm256_or_si256(a, b); }
    static V andV(V a, V b) { return _mm256_and_si256(a, b); }
    static V xorV(V a, V b) { return _mm256_xor_si256(a, b); }
    static V eq(V a, V b) { return _mm256_cmpeq_epi8(a, b); }
    static V gt(V a, V b) { return _mm256_cmpgt_epi8(a, b); }
    static V lt(V a, V b) { return _mm256_cmpgt_epi8(b, a); }
    static V subsU(V a, V b) { return _mm256_subs_epu8(a, b); }
    static V maxU(V a, V b) { return _mm256_max_epu8(a, b); }
    static std::uint64_t mask(V a) { return std::uint32_t(_mm256_movemask_epi8(a)); }
    template <int N> static V prev(V v, V before)
    {
        // alignr works within 128-bit lanes: give it before's high lane beside v's low lane.
        return _mm256_alignr_epi8(v, _mm256_permute2x128_si256(before, v, 0x21), 16 - N);
    }
};

namespace avx2 {
#include "encoding/WellFormedStretchBlocks.inc"

inline __m256i lookUp(const std::array<Byte, 16>& table, __m256i nibbles)
{
    const __m256i entries =
        _mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&table)));
    return _mm256_shuffle_epi8(entries, nibbles);
}

template <> inline __m256i malformed<Avx2>(__m256i v, __m256i before)
{
    const __m256i low = _mm256_set1_epi8(0x0F);
    const __m256i prev1 = Avx2::prev<1>(v, before);
    const __m256i flaws = _mm256_and_si256(
        _mm256_and_si256(
            lookUp(Nibbles.earlierHigh, _mm256_and_si256(_mm256_srli_epi16(prev1, 4), low)),
            lookUp(Nibbles.earlierLow, _mm256_and_si256(prev1, low))),
        lookUp(Nibbles.laterHigh, _mm256_and_si256(_mm256_srli_epi16(v, 4), low)));
    const __m256i thirdDue =
        _mm256_or_si256(_mm256_subs_epu8(Avx2::prev<2>(v, before), _mm256_set1_epi8(char(0xDF))),
                        _mm256_subs_epu8(Avx2::prev<3>(v, before), _mm256_set1_epi8(char(0xEF))));
    const __m256i expected = _mm256_and_si256(_mm256_cmpgt_epi8(thirdDue, _mm256_setzero_si256()),
                                              _mm256_set1_epi8(char(0x80)));
    const __m256i ok = _mm256_cmpeq_epi8(_mm256_xor_si256(flaws, expected), _mm256_setzero_si256());
    return _mm256_xor_si256(ok, _mm256_set1_epi8(char(0xFF)));
}

} // namespace avx2

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

bool hasAvx2()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

#endif

} // namespace

bool scanPathAvailable(ScanPath path)
{
#if defined(__x86_64__)
    return path != ScanPath::Avx2 || hasAvx2();
#else
    return path == ScanPath::Scalar;
#endif
}

template <typename Breaks>
const Byte* wellFormedStretchEnd(ScanPath path, const Byte* p, const Byte* stop, const Byte* end)
{
#if defined(__x86_64__)
    if (path != ScanPath::Scalar) {
        const BlockScan scan = path == ScanPath::Avx2
                                   ? avx2::scanBlocks<Avx2, Breaks>(p, stop, end)
                                   : sse2::scanBlocks<Sse2, Breaks>(p, stop, end);
        if (scan.ended)
            return scan.at;
        return wellFormedStretchEndScalar<Breaks>(scan.at, stop, end);
    }
#endif
    return wellFormedStretchEndScalar<Breaks>(p, stop, end);
}

template <typename Breaks>
const Byte* wellFormedStretchEnd(const Byte* p, const Byte* stop, const Byte* end)
{
#if defined(__x86_64__)
    return wellFormedStretchEnd<Breaks>(hasAvx2() ? ScanPath::Avx2 : ScanPath::Sse2, p, stop, end);
#else
    return wellFormedStretchEndScalar<Breaks>(p, stop, end);
#endif
}

#define TAGOMIR_STRETCH_END(Breaks)                                                                \
    template const Byte* wellFormedStretchEnd<Breaks>(const Byte*, const Byte*, const Byte*);      \
    template const Byte* wellFormedStretchEnd<Breaks>(ScanPath, const Byte*, const Byte*,          \
                                                      const Byte*);
TAGOMIR_STRETCH_END(TextLines::FileBreaksOtherThanLf)
TAGOMIR_STRETCH_END(TextLines::TextBreaks)
TAGOMIR_STRETCH_END(NoBreaks)

} // namespace Utf8Scan