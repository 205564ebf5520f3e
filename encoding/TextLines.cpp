#include "encoding/TextLines.h"

#include <cstring>

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
