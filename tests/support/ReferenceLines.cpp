#include "support/ReferenceLines.h"

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
