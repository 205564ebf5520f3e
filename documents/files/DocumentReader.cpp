#include "files/DocumentReader.h"

#include "editor/EditorLimits.h"

DocumentRead inspectDocument(QByteArray bytes, std::optional<Encoding> asked)
{
    DocumentRead read;
    read.lineBreak = detectLineBreak(bytes);
    if (asked) {
        read.encoding = *asked;
    } else {
        read.charsetLine = findCharsetLine(bytes);
        read.encoding = Encoding::fromName(detectFileEncoding(bytes, read.charsetLine))
                            .value_or(EncodingUnknown);
    }
    read.bytes = std::move(bytes);
    return read;
}

DocumentRead readDocument(const QString& path, std::optional<Encoding> asked)
{
    refuseFileTooLargeForEditor(path);
    DocumentRead read = inspectDocument(readWholeFile(path), asked);
    read.stamp = fileStamp(path);
    refuseTextTooLargeForEditor(path, read.bytes, read.encoding.readAs());
    return read;
}
