#include "support/ReferenceConversions.h"

#include "encoding/CodePageTables.h"
#include "encoding/Utf8Scan.h"

using Utf8Scan::Byte;

namespace {

QByteArray mapBytes(QByteArrayView line, const CodePageTables::ByteMap& map)
{
    QByteArray result(line.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < line.size(); ++i)
        result[i] = char(map[static_cast<unsigned char>(line[i])]);
    return result;
}

} // namespace

QByteArray WideToUtf8(QStringView text)
{
    // Three bytes per unit is the most any unit needs; a pair needs four for two units.
    QByteArray result(text.size() * 3, Qt::Uninitialized);
    Byte* const begin = reinterpret_cast<Byte*>(result.data());
    Byte* out = begin;
    Utf8Scan::Utf16ToUtf8Writer writer;
    for (const QChar ch : text)
        out = writer.put(out, ch.unicode());
    out = writer.flush(out);
    result.truncate(out - begin);
    return result;
}

QString Utf8ToWide(QByteArrayView bytes)
{
    // No sequence gives more units than it has bytes.
    QString result(bytes.size(), Qt::Uninitialized);
    char16_t* const begin = reinterpret_cast<char16_t*>(result.data());
    char16_t* out = begin;
    const Byte* p = reinterpret_cast<const Byte*>(bytes.data());
    const Byte* const end = p + bytes.size();
    while (p < end) {
        char32_t value;
        p = Utf8Scan::decodeLenientSequence(p, end, value);
        if (value <= 0xFFFF) {
            *out++ = char16_t(value);
        } else if (value <= 0x10FFFF) {
            *out++ = QChar::highSurrogate(value);
            *out++ = QChar::lowSurrogate(value);
        } else {
            *out++ = QChar::ReplacementCharacter;
        }
    }
    result.truncate(out - begin);
    return result;
}

QByteArray IsoToCp1250(QByteArrayView line)
{
    return mapBytes(line, CodePageTables::isoToCp1250Map());
}

QByteArray Cp1250ToIso(QByteArrayView line)
{
    return mapBytes(line, CodePageTables::cp1250ToIsoMap());
}

QString Cp1250ToWide(QByteArrayView bytes)
{
    const auto& table = CodePageTables::cp1250ToUnicode();
    QString result(bytes.size(), Qt::Uninitialized);
    QChar* out = result.data();
    for (const char b : bytes)
        *out++ = QChar(table[static_cast<unsigned char>(b)]);
    return result;
}

QByteArray WideToCp1250(QStringView text)
{
    const auto& table = CodePageTables::unicodeToCp1250();
    QByteArray result(text.size(), Qt::Uninitialized);
    char* out = result.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            *out++ = '?';
        } else {
            *out++ = char(table[unit]);
        }
    }
    result.truncate(out - result.data());
    return result;
}
