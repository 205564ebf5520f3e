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

void LineBreakEvidence::add(QByteArrayView piece)
{
    m_cr = m_cr || std::memchr(piece.data(), '\r', piece.size()) != nullptr;
    m_lf = m_lf || std::memchr(piece.data(), '\n', piece.size()) != nullptr;
}

LineBreak LineBreakEvidence::lineBreak() const
{
    if (m_cr && !m_lf)
        return LineBreak::Cr;
    if (m_lf && !m_cr)
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
    // Every FileBreaks byte is a break, less the CRs that an LF follows; sixteen bytes at a time.
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
    for (p = TextLines::findBreak<TextLines::FileBreaks>(p, end); p < end;
         p = TextLines::findBreak<TextLines::FileBreaks>(p, end)) {
        ++breaks;
        p = TextLines::stepOverBreak(p, end);
    }
    return breaks;
}
