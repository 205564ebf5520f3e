#include "encoding/CharsetDetection.h"

#include "encoding/EncodingNames.h"
#include "encoding/TextLines.h"
#include "encoding/Utf8Scan.h"

using namespace Utf8Scan;
using TextLines::FileBreaks;

namespace {

constexpr char Keyword[] = "charset";
constexpr qsizetype KeywordLength = sizeof Keyword - 1;

// Whether the bytes at p spell "charset" in any mix of case. (b | 0x20) equals a lower-case
// letter exactly for that letter and its capital, so this is the A-Z-only lowering.
bool startsWithKeyword(const Byte* p, const Byte* end)
{
    if (end - p < KeywordLength)
        return false;
    for (qsizetype i = 0; i < KeywordLength; ++i) {
        if ((p[i] | 0x20) != Byte(Keyword[i]))
            return false;
    }
    return true;
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
        const qsizetype word = line.indexOf(QByteArrayView(Keyword), from);
        if (word < 0)
            break;
        const qsizetype fillerStart = word + KeywordLength;
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
    // One pass: count line breaks and look at each 'c' or 'C' until the keyword turns up. Only
    // words holding one of those bytes need a closer look.
    const Byte* const begin = reinterpret_cast<const Byte*>(text.data());
    const Byte* const end = begin + text.size();
    const Byte* p = begin;
    const Byte* lineStart = begin;
    qsizetype lineIndex = 0;
    while (p < end) {
        if (end - p >= 8) {
            const std::uint64_t word = loadWord(p);
            const std::uint64_t interesting =
                bytesEqualTo(word | repeatByte(0x20), 'c') | FileBreaks::inWord(word);
            if (!interesting) {
                p += 8;
                continue;
            }
            p += firstFlaggedByte(interesting);
        }
        if (FileBreaks::is(*p)) {
            p = TextLines::stepOverBreak(p, end);
            lineStart = p;
            ++lineIndex;
        } else if ((*p | 0x20) == 'c' && startsWithKeyword(p, end)) {
            const Byte* const lineEnd = TextLines::findBreak<FileBreaks>(p + KeywordLength, end);
            return {lineIndex, lowerAsciiLetters(QByteArrayView(lineStart, lineEnd))};
        } else {
            ++p;
        }
    }
    return {};
}

QString ClassifyCharsetLine(QByteArrayView loweredLine)
{
    const QByteArray line = normaliseDeclarations(loweredLine);
    QString name;
    if (line.contains("charset=win"))
        name = encodingName(EncodingCp1250);
    if (line.contains("charset=iso-8859-2"))
        name = encodingName(EncodingIso88592);
    if (line.contains("charset=utf-8"))
        name = encodingName(EncodingUtf8);
    return name;
}

bool isMultibyteUtf8(QByteArrayView bytes)
{
    const Byte* p = reinterpret_cast<const Byte*>(bytes.data());
    const Byte* const end = p + bytes.size();
    bool multibyte = false;
    while (p < end) {
        if (end - p >= 8) {
            const std::uint64_t nonAscii = nonAsciiBytes(loadWord(p));
            if (!nonAscii) {
                p += 8;
                continue;
            }
            p += firstFlaggedByte(nonAscii);
        }
        if (*p < 0x80) {
            ++p;
            continue;
        }
        const int length = wellFormedSequenceLength(p, end);
        if (!length)
            return false;
        multibyte = true;
        p += length;
    }
    return multibyte;
}

QString detectFileEncoding(QByteArrayView fileBytes)
{
    const CharsetLine charsetLine = findCharsetLine(fileBytes);
    if (charsetLine.index >= 0) {
        const QString declared = ClassifyCharsetLine(charsetLine.loweredText);
        if (!declared.isEmpty())
            return declared;
    }
    return encodingName(isMultibyteUtf8(fileBytes) ? EncodingUtf8 : EncodingUnknown);
}
