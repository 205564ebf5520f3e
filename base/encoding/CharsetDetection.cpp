#include "encoding/CharsetDetection.h"

#include "encoding/Encoding.h"
#include "encoding/TextLines.h"
#include "encoding/Utf8Scan.h"
#include "encoding/WellFormedStretch.h"

#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

using namespace Utf8Scan;
using TextLines::FileBreaks;

namespace {

constexpr char CharsetKeyword[] = "charset";
constexpr qsizetype CharsetKeywordLength = sizeof CharsetKeyword - 1;

// Whether the bytes at p spell "charset" in any mix of case. (b | 0x20) equals a lower-case
// letter exactly for that letter and its capital, so this is the A-Z-only lowering.
bool startsWithKeyword(const Byte* p, const Byte* end)
{
    if (end - p < CharsetKeywordLength)
        return false;
    for (qsizetype i = 0; i < CharsetKeywordLength; ++i) {
        if ((p[i] | 0x20) != Byte(CharsetKeyword[i]))
            return false;
    }
    return true;
}

// The first "charset" in any mix of case, or null. Sixteen bytes at a time, only places with
// a 'c' and, six bytes on, a 't' get a closer look.
const Byte* findKeyword(const Byte* p, const Byte* end)
{
#if defined(__SSE2__)
    const __m128i lowerBit = _mm_set1_epi8(0x20);
    const __m128i first = _mm_set1_epi8('c'), last = _mm_set1_epi8('t');
    for (; end - p >= 16 + CharsetKeywordLength - 1; p += 16) {
        const __m128i firsts =
            _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lowerBit);
        const __m128i lasts = _mm_or_si128(
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + CharsetKeywordLength - 1)),
            lowerBit);
        unsigned candidates = unsigned(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi8(firsts, first), _mm_cmpeq_epi8(lasts, last))));
        for (; candidates; candidates &= candidates - 1) {
            const Byte* const candidate = p + std::countr_zero(candidates);
            if (startsWithKeyword(candidate, end))
                return candidate;
        }
    }
#endif
    for (; p < end; ++p)
        if (startsWithKeyword(p, end))
            return p;
    return nullptr;
}

QByteArray lowerAsciiLetters(QByteArrayView text)
{
    QByteArray lowered(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        lowered[i] = c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
    }
    return lowered;
}

bool isDeclarationFiller(char c)
{
    return c == ' ' || c == '\t' || c == '=' || c == '"' || c == '\'';
}

// The line with every run of blanks, '=' and quotes right after "charset" made one '='.
QByteArray normaliseDeclarations(QByteArrayView line)
{
    QByteArray normalised;
    normalised.reserve(line.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype word = line.indexOf(QByteArrayView(CharsetKeyword), from);
        if (word < 0)
            break;
        const qsizetype fillerStart = word + CharsetKeywordLength;
        qsizetype fillerEnd = fillerStart;
        while (fillerEnd < line.size() && isDeclarationFiller(line[fillerEnd]))
            ++fillerEnd;
        normalised += line.sliced(from, fillerStart - from);
        if (fillerEnd > fillerStart)
            normalised += '=';
        from = fillerEnd;
    }
    normalised += line.sliced(from);
    return normalised;
}

} // namespace

CharsetLine findCharsetLine(QByteArrayView text)
{
    const Byte* const begin = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = begin + text.size();
    const Byte* keyword = findKeyword(begin, end);
    if (!keyword)
        return {};
    const Byte* lineStart = keyword;
    while (lineStart > begin && !FileBreaks::is(lineStart[-1]))
        --lineStart;
    const Byte* const lineEnd =
        TextLines::findBreak<FileBreaks>(keyword + CharsetKeywordLength, end);
    return {countLineBreaks(QByteArrayView(begin, lineStart)),
            lowerAsciiLetters(QByteArrayView(lineStart, lineEnd)), lineStart - begin,
            lineEnd - begin};
}

QString ClassifyCharsetLine(QByteArrayView loweredLine)
{
    const QByteArray line = normaliseDeclarations(loweredLine);
    QString name;
    if (line.contains("charset=win"))
        name = Encoding(EncodingCp1250).name();
    if (line.contains("charset=iso-8859-2"))
        name = Encoding(EncodingIso88592).name();
    if (line.contains("charset=utf-8"))
        name = Encoding(EncodingUtf8).name();
    return name;
}

bool isMultibyteUtf8(QByteArrayView bytes)
{
    const Byte* const begin = reinterpret_cast<const Byte*>(bytes.data());
    const Byte* const end = begin + bytes.size();
    const Byte* const firstNonAscii = skipAscii(begin, end);
    return firstNonAscii != end && wellFormedStretchEnd<NoBreaks>(firstNonAscii, end, end) == end;
}

QString detectFileEncoding(QByteArrayView fileBytes)
{
    return detectFileEncoding(fileBytes, findCharsetLine(fileBytes));
}

QString detectFileEncoding(QByteArrayView fileBytes, const CharsetLine& charsetLine)
{
    if (charsetLine.index >= 0) {
        const QString declared = ClassifyCharsetLine(charsetLine.loweredText);
        if (!declared.isEmpty())
            return declared;
    }
    return Encoding(isMultibyteUtf8(fileBytes) ? EncodingUtf8 : EncodingUnknown).name();
}

void EncodingEvidence::add(QByteArrayView piece)
{
    if (m_charsetLine.index < 0) {
        m_charsetLine = findCharsetLine(piece);
        if (m_charsetLine.index >= 0) {
            m_declared = ClassifyCharsetLine(m_charsetLine.loweredText);
            m_charsetLine.index += m_breaksBefore;
            m_charsetLine.start += m_bytesBefore;
            m_charsetLine.end += m_bytesBefore;
        } else {
            m_breaksBefore += countLineBreaks(piece);
            m_bytesBefore += piece.size();
        }
    }
    if (m_malformed)
        return;
    const Byte* const begin = reinterpret_cast<const Byte*>(piece.data());
    const Byte* const end = begin + piece.size();
    const Byte* const firstNonAscii = skipAscii(begin, end);
    if (firstNonAscii == end)
        return;
    m_nonAscii = true;
    m_malformed = wellFormedStretchEnd<NoBreaks>(firstNonAscii, end, end) != end;
}

QString EncodingEvidence::encodingName() const
{
    if (!m_declared.isEmpty())
        return m_declared;
    return Encoding(m_nonAscii && !m_malformed ? EncodingUtf8 : EncodingUnknown).name();
}

bool EncodingEvidence::settled() const
{
    return !m_declared.isEmpty() || (m_charsetLine.index >= 0 && m_malformed);
}
