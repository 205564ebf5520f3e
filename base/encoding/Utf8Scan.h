#pragma once

// Building blocks shared by the line rule, the bulk document paths and the charset scanner.
// Internal to encoding/: callers outside use TextLines.h, DocumentCodec.h and
// CharsetDetection.h.

#include <QChar>

#include <bit>
#include <cstdint>
#include <cstring>

namespace Utf8Scan {

using Byte = unsigned char;

inline constexpr std::uint64_t repeatByte(std::uint8_t b)
{
    return 0x0101010101010101ull * b;
}

inline std::uint64_t loadWord(const Byte* p)
{
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// The masks below flag bytes by their top bit. The lowest flagged byte is always a true hit, so
// firstFlaggedByte() of a non-zero mask is the offset of the first matching byte (the words are
// loaded little-endian on every platform we build for).
inline constexpr std::uint64_t nonAsciiBytes(std::uint64_t word)
{
    return word & repeatByte(0x80);
}

inline constexpr std::uint64_t zeroBytes(std::uint64_t word)
{
    return (word - repeatByte(0x01)) & ~word & repeatByte(0x80);
}

inline constexpr std::uint64_t bytesEqualTo(std::uint64_t word, std::uint8_t b)
{
    return zeroBytes(word ^ repeatByte(b));
}

inline int firstFlaggedByte(std::uint64_t mask)
{
    static_assert(std::endian::native == std::endian::little);
    return std::countr_zero(mask) >> 3;
}

// The first byte at or after p that is not ASCII, or `end`; eight bytes at a time.
inline const Byte* skipAscii(const Byte* p, const Byte* end)
{
    for (; end - p >= 8; p += 8) {
        const std::uint64_t nonAscii = nonAsciiBytes(loadWord(p));
        if (nonAscii)
            return p + firstFlaggedByte(nonAscii);
    }
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

inline bool isContinuation(Byte b)
{
    return (b & 0xC0) == 0x80;
}

// Length of the well-formed multi-byte sequence at p (2 to 4; no overlongs, no surrogates,
// nothing above U+10FFFF), or 0 when the bytes at p do not start one.
inline int wellFormedSequenceLength(const Byte* p, const Byte* end)
{
    const Byte lead = p[0];
    const auto available = end - p;
    if (lead >= 0xC2 && lead <= 0xDF)
        return available >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (available < 3)
            return 0;
        const Byte low = lead == 0xE0 ? 0xA0 : 0x80;
        const Byte high = lead == 0xED ? 0x9F : 0xBF;
        return p[1] >= low && p[1] <= high && isContinuation(p[2]) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (available < 4)
            return 0;
        const Byte low = lead == 0xF0 ? 0x90 : 0x80;
        const Byte high = lead == 0xF4 ? 0x8F : 0xBF;
        return p[1] >= low && p[1] <= high && isContinuation(p[2]) && isContinuation(p[3]) ? 4 : 0;
    }
    return 0;
}

// Code point of a sequence that wellFormedSequenceLength() accepted with `length`.
inline char32_t wellFormedCodePoint(const Byte* p, int length)
{
    switch (length) {
    case 2:
        return (char32_t(p[0] & 0x1F) << 6) | (p[1] & 0x3F);
    case 3:
        return (char32_t(p[0] & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    default:
        return (char32_t(p[0] & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12) |
               (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
    }
}

// Length of the bytes at p (before `end`) that stand for one U+FFFD when they do not start a
// well-formed sequence: the longest start of a well-formed sequence found there, or the lone
// byte when none starts there (1 to 3). This is the Unicode standard's "maximal subpart": a
// byte that cannot continue a sequence is never taken into it, so it is read afresh.
inline int malformedSequenceLength(const Byte* p, const Byte* end)
{
    const Byte lead = p[0];
    const auto available = end - p;
    Byte low = 0x80;
    Byte high = 0xBF;
    if (lead >= 0xE0 && lead <= 0xEF) {
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        // A two-byte lead without its continuation, or a byte that starts nothing.
        return 1;
    }
    if (available < 2 || p[1] < low || p[1] > high)
        return 1;
    if (lead < 0xF0 || available < 3 || !isContinuation(p[2]))
        return 2;
    return 3;
}

// Writes a code point (at most U+10FFFF, not a surrogate) as UTF-8.
inline Byte* putUtf8(Byte* out, char32_t c)
{
    if (c < 0x80) {
        *out++ = Byte(c);
    } else if (c < 0x800) {
        *out++ = Byte(0xC0 | (c >> 6));
        *out++ = Byte(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *out++ = Byte(0xE0 | (c >> 12));
        *out++ = Byte(0x80 | ((c >> 6) & 0x3F));
        *out++ = Byte(0x80 | (c & 0x3F));
    } else {
        *out++ = Byte(0xF0 | (c >> 18));
        *out++ = Byte(0x80 | ((c >> 12) & 0x3F));
        *out++ = Byte(0x80 | ((c >> 6) & 0x3F));
        *out++ = Byte(0x80 | (c & 0x3F));
    }
    return out;
}

inline Byte* putReplacement(Byte* out)
{
    return putUtf8(out, QChar::ReplacementCharacter);
}

// Turns a stream of UTF-16 units into UTF-8: a surrogate pair becomes one four-byte sequence,
// a lone surrogate U+FFFD. A high surrogate waits for the next unit, so call flush() where
// the stream ends.
class Utf16ToUtf8Writer {
public:
    Byte* put(Byte* out, char16_t unit)
    {
        if (m_pendingHigh) {
            const char16_t high = m_pendingHigh;
            m_pendingHigh = 0;
            if (QChar::isLowSurrogate(unit))
                return putUtf8(out, QChar::surrogateToUcs4(high, unit));
            out = putReplacement(out);
        }
        if (QChar::isHighSurrogate(unit)) {
            m_pendingHigh = unit;
            return out;
        }
        if (QChar::isLowSurrogate(unit))
            return putReplacement(out);
        return putUtf8(out, unit);
    }

    Byte* flush(Byte* out)
    {
        if (!m_pendingHigh)
            return out;
        m_pendingHigh = 0;
        return putReplacement(out);
    }

private:
    char16_t m_pendingHigh = 0;
};

} // namespace Utf8Scan
