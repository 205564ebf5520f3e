#include "files/DocumentReader.h"

#include "editor/EditorLimits.h"

#include <QFile>

#include <algorithm>

namespace {

constexpr qsizetype DecodedPieceBytes = 4 << 20;
constexpr qsizetype ReadAgainBytes = 8 << 20;

} // namespace

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

void decodeRead(DocumentRead& read, const QString& sameFile, DecodedText& text)
{
    const Encoding readAs = read.encoding.readAs();
    QByteArray fileBytes = std::move(read.bytes);
    // Room for the whole text is made at once, as growing it piece by piece would copy it again
    // and again; its size comes from how much the first piece grows or shrinks in decoding.
    // That room is filled in at once too: for a large file, its bytes are let go first and the
    // file read again piece by piece, so that they are never in memory together with it.
    const qsizetype firstPiece = std::min(fileBytes.size(), DecodedPieceBytes);
    const qsizetype expected =
        qsizetype(double(decodeDocument(fileBytes.first(firstPiece), readAs).size()) /
                  std::max<qsizetype>(firstPiece, 1) * fileBytes.size());
    const auto append = [&text](QByteArrayView piece) { text.append(piece); };
    MalformedUtf8& malformed = read.malformed;
    malformed = {};
    // The file is opened again before its bytes are let go: one that can no longer be opened
    // is shown from them.
    QFile again(sameFile);
    if (fileBytes.size() >= ReadAgainBytes && !sameFile.isEmpty() &&
        again.open(QIODevice::ReadOnly) && again.size() == fileBytes.size()) {
        const qint64 size = fileBytes.size();
        fileBytes = QByteArray();
        text.reserve(expected + expected / 64 + 2);
        const bool readAgain = readFileInLinePieces(
            again, size, DecodedPieceBytes, [&](QByteArrayView piece, bool last) {
                const qsizetype before = text.length();
                MalformedUtf8 inPiece;
                decodeDocument(piece, readAs, append, DecodedPieceBytes, &inPiece);
                if (inPiece.count && !malformed.count)
                    malformed.firstTextOffset = before + inPiece.firstTextOffset;
                malformed.count += inPiece.count;
                if (!last)
                    text.append("\n");
            });
        if (readAgain)
            return;
        // Changed while it was read again: decoded as it is now.
        text.clear();
        malformed = {};
        DocumentRead now = readDocument(sameFile, read.encoding);
        fileBytes = std::move(now.bytes);
        read.lineBreak = now.lineBreak;
        read.stamp = now.stamp;
    }
    text.reserve(expected + expected / 64 + 2);
    decodeDocument(fileBytes, readAs, append, DecodedPieceBytes, &malformed);
}
