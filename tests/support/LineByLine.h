#pragma once

#include "encoding/DocumentCodec.h"
#include "encoding/Encoding.h"
#include "encoding/TextLines.h"
#include "support/ReferenceConversions.h"
#include "support/ReferenceLines.h"

#include <QList>

// The whole-buffer conversions must give exactly what converting line by line gives; these are
// that line-by-line reading and writing, built from the single-line conversions. Shared by the
// codec tests and the fuzz targets.
namespace LineByLine {

inline QByteArray decodeLine(QByteArrayView line, Encoding encoding)
{
    if (encoding == EncodingUtf8)
        return WideToUtf8(Utf8ToWide(line));
    return WideToUtf8(Cp1250ToWide(IsoToCp1250(line)));
}

inline QByteArray decode(QByteArrayView bytes, Encoding encoding)
{
    QList<QByteArray> decoded;
    for (const QByteArray& line : splitLines(bytes))
        decoded.append(decodeLine(line, encoding));
    return decoded.join('\n');
}

// The editor's lines: every piece between breaks, a final empty one included, none for no text.
inline QList<QByteArray> editorLines(const QByteArray& text)
{
    if (text.isEmpty())
        return {};
    QByteArray normalised = text;
    normalised.replace("\r\n", "\n").replace('\r', '\n');
    return normalised.split('\n');
}

inline QByteArray encodeLine(const QByteArray& line, Encoding encoding)
{
    const QString characters = Utf8ToWide(line);
    switch (encoding.index()) {
    case EncodingUtf8:
        return WideToUtf8(characters);
    case EncodingIso88592:
        return Cp1250ToIso(WideToCp1250(characters));
    case EncodingCp1250:
        return IsoToCp1250(WideToCp1250(characters));
    case EncodingUnknown:
        break;
    }
    return WideToCp1250(characters);
}

inline QByteArray encode(const QByteArray& text, Encoding encoding, LineBreak lineBreak)
{
    QByteArray file;
    for (const QByteArray& line : editorLines(text))
        file += encodeLine(line, encoding) + lineBreakBytes(lineBreak).toByteArray();
    return file;
}

} // namespace LineByLine
