#include "encoding/TextLines.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

LineBreak detectLineBreak(QByteArrayView fileBytes)
{
    if (fileBytes.isEmpty())
        return LineBreak::CrLf;
    const bool hasCr = std::memchr(fileBytes.data(), '\r', fileBytes.size()) != nullptr;
    const bool hasLf = std::memchr(fileBytes.data(), '\n', fileBytes.size()) != nullptr;
    if (hasCr && !hasLf)
        return LineBreak::Cr;
    if (hasLf && !hasCr)
        return LineBreak::Lf;
    return LineBreak::CrLf;
}

QByteArrayView lineBreakBytes(LineBreak lineBreak)
{
    switch (lineBreak) {
    case LineBreak::Cr:
        return "\r";
    case LineBreak::Lf:
        return "\n";
    case LineBreak::CrLf:
        break;
    }
    return "\r\n";
}

qsizetype countLineBreaks(QByteArrayView bytes)
{
    // Every LF, CR and NUL is a break, less the CRs that an LF follows.
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    qsizetype breaks = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n'), nul = _mm_setzero_si128();
    for (; end - p > 16; p += 16) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
        const __m128i isBreak =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(here, cr), _mm_cmpeq_epi8(here, lf)),
                         _mm_cmpeq_epi8(here, nul));
        const __m128i crBeforeLf =
            _mm_and_si128(_mm_cmpeq_epi8(here, cr), _mm_cmpeq_epi8(next, lf));
        breaks += std::popcount(unsigned(_mm_movemask_epi8(isBreak))) -
                  std::popcount(unsigned(_mm_movemask_epi8(crBeforeLf)));
    }
#endif
    for (; p < end; ++p) {
        const unsigned char b = *p;
        breaks +=
            (b == '\n' || b == '\0' || b == '\r') && !(b == '\r' && p + 1 < end && p[1] == '\n');
    }
    return breaks;
}

QList<QByteArray> splitLines(QByteArrayView fileBytes)
{
    QList<QByteArray> lines;
    const qsizetype size = fileBytes.size();
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const char b = fileBytes[i];
        if (b != '\r' && b != '\n' && b != '\0')
            continue;
        lines.append(fileBytes.sliced(lineStart, i - lineStart).toByteArray());
        if (b == '\r' && i + 1 < size && fileBytes[i + 1] == '\n')
            ++i;
        lineStart = i + 1;
    }
    if (lineStart < size)
        lines.append(fileBytes.sliced(lineStart).toByteArray());
    return lines;
}
