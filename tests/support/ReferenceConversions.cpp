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
    QString result;
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        // The well-formed sequences of the Unicode standard (table 3-7): the length a lead byte
        // announces, and the range its second byte must lie in.
        const Byte lead = Byte(bytes[i]);
        int length = 0;
        Byte low = 0x80;
        Byte high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        char32_t value = length == 1 ? lead : lead & (0x7F >> length);
        qsizetype taken = 1;
        for (; taken < length && i + taken < size; ++taken) {
            const Byte next = Byte(bytes[i + taken]);
            if (next < (taken == 1 ? low : 0x80) || next > (taken == 1 ? high : 0xBF))
                break;
            value = value << 6 | (next & 0x3F);
        }
        // What was taken of a sequence cut short, or a byte that starts none, is one U+FFFD.
        if (taken < length || length == 0)
            value = QChar::ReplacementCharacter;
        if (value > 0xFFFF) {
            result.append(QChar(QChar::highSurrogate(value)));
            result.append(QChar(QChar::lowSurrogate(value)));
        } else {
            result.append(QChar(char16_t(value)));
        }
        i += taken;
    }
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
