#pragma once

// The one pass that the UTF-8 paths make over a whole buffer: how far the bytes are well-formed
// UTF-8 and free of line breaks. Internal to encoding/, like Utf8Scan.h.

#include "encoding/TextLines.h"

namespace Utf8Scan {

// No byte breaks a stretch: the check of validity alone.
struct NoBreaks {
    static bool is(Byte) { return false; }
    static std::uint64_t inWord(std::uint64_t) { return 0; }
};

// Steps over well-formed UTF-8 from p while below `limit`; stops at a malformed sequence.
inline const Byte* skipWellFormed(const Byte* p, const Byte* limit, const Byte* end)
{
    while (p < limit) {
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int length = wellFormedSequenceLength(p, end);
        if (!length)
            return p;
        p += length;
    }
    return p;
}

// The end of the stretch of well-formed UTF-8 without breaks that starts at p: the first break
// or malformed sequence, or else the sequence boundary where the word-wide walk from p first
// reaches `stop` or beyond (a few bytes past it at most). A word at a time; a well-formed
// sequence never holds a break byte, so it never runs past one. The reference for the vector
// paths, and the path on other processors.
template <typename Breaks>
const Byte* wellFormedStretchEndScalar(const Byte* p, const Byte* stop, const Byte* end)
{
    while (p < stop) {
        if (end - p >= 8) {
            const std::uint64_t word = loadWord(p);
            const std::uint64_t breaks = Breaks::inWord(word);
            if (!breaks && !nonAsciiBytes(word)) {
                p += 8;
                continue;
            }
            const Byte* const limit = breaks ? p + firstFlaggedByte(breaks) : p + 8;
            const Byte* const q = skipWellFormed(p, limit, end);
            if (q < limit || breaks)
                return q;
            p = q;
            continue;
        }
        if (Breaks::is(*p))
            return p;
        const Byte* const q = skipWellFormed(p, p + 1, end);
        if (q == p)
            return p;
        p = q;
    }
    return p;
}

enum class ScanPath { Scalar, Sse2, Avx2 };

// Whether this processor can take `path`.
bool scanPathAvailable(ScanPath path);

// wellFormedStretchEndScalar()'s result, on the fastest path this processor has.
template <typename Breaks>
const Byte* wellFormedStretchEnd(const Byte* p, const Byte* stop, const Byte* end);

// The same on a given path, which must be available; for comparing the paths.
template <typename Breaks>
const Byte* wellFormedStretchEnd(ScanPath path, const Byte* p, const Byte* stop, const Byte* end);

} // namespace Utf8Scan
