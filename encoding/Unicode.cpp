#include "encoding/Unicode.h"

#include "encoding/Utf8Scan.h"

using Utf8Scan::Byte;

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
