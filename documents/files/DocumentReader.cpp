#include "files/DocumentReader.h"

#include "editor/EditorLimits.h"

#include <QFile>
#include <QFileInfo>

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

DocumentRead readDocumentToShow(const QString& path, std::optional<Encoding> asked)
{
    refuseFileTooLargeForEditor(path);
    QFile file(path);
    // Up to a third of the editor's limit the decoded text cannot outgrow it, so the bytes need
    // not be held to tell (refuseTextTooLargeForEditor()).
    const qint64 size = QFileInfo(path).size();
    // Only a regular file: a pipe would block the window and a device never end. One that cannot
    // be opened is left to readDocument() to say why.
    if (size < ReadAgainBytes || size > MaxEditorTextBytes / 3 || !QFileInfo(path).isFile() ||
        !file.open(QIODevice::ReadOnly))
        return readDocument(path, asked);
    DocumentRead read;
    read.bytesNotKept = size;
    // The encoding is most often settled by the file's first lines: asked for, or declared
    // there. The line breaks are then found as the text is read (decodeRead()), and the file is
    // read once.
    EncodingEvidence encoding;
    const QByteArray head = file.read(DecodedPieceBytes);
    if (!asked)
        encoding.add(QByteArrayView(head).first(head.lastIndexOf('\n') + 1));
    if (asked || encoding.settled()) {
        read.encoding =
            asked ? *asked : Encoding::fromName(encoding.encodingName()).value_or(EncodingUnknown);
        read.charsetLine = asked ? CharsetLine() : encoding.charsetLine();
        read.stamp = fileStamp(path);
        return read;
    }
    encoding = EncodingEvidence();
    LineBreakEvidence lineBreaks;
    const bool whole =
        readFileInLinePieces(file, size, DecodedPieceBytes, [&](QByteArrayView piece, bool) {
            lineBreaks.add(piece);
            encoding.add(piece);
        });
    if (!whole)
        return readDocument(path, asked); // changed meanwhile, or unreadable: as it is now
    read.lineBreak = lineBreaks.lineBreak();
    read.charsetLine = encoding.charsetLine();
    read.encoding = Encoding::fromName(encoding.encodingName()).value_or(EncodingUnknown);
    read.stamp = fileStamp(path);
    return read;
}

void decodeRead(DocumentRead& read, const QString& sameFile, DecodedText& text)
{
    const Encoding readAs = read.encoding.readAs();
    QByteArray fileBytes = std::move(read.bytes);
    const qint64 size = read.bytesNotKept > 0 ? read.bytesNotKept : fileBytes.size();
    read.bytesNotKept = 0;
    // Room for the whole text is made at once, as growing it piece by piece would copy it again
    // and again; its size comes from how much the first piece grows or shrinks in decoding.
    // That room is filled in at once too: for a large file, its bytes are let go first and the
    // file read again piece by piece, so that they are never in memory together with it.
    const auto reserveFor = [&](QByteArrayView firstPiece) {
        const qsizetype expected = qsizetype(double(decodeDocument(firstPiece, readAs).size()) /
                                             std::max<qsizetype>(firstPiece.size(), 1) * size);
        text.reserve(expected + expected / 64 + 2);
    };
    const auto append = [&text](QByteArrayView piece) { text.append(piece); };
    MalformedUtf8& malformed = read.malformed;
    malformed = {};
    // The file is opened again before its bytes are let go: one that can no longer be opened
    // is shown from them.
    QFile again(sameFile);
    if (size >= ReadAgainBytes && !sameFile.isEmpty() && again.open(QIODevice::ReadOnly) &&
        again.size() == size) {
        fileBytes = QByteArray();
        bool first = true;
        LineBreakEvidence lineBreaks;
        const bool readAgain = readFileInLinePieces(
            again, size, DecodedPieceBytes, [&](QByteArrayView piece, bool last) {
                lineBreaks.add(piece);
                if (first)
                    reserveFor(piece.first(std::min(piece.size(), DecodedPieceBytes)));
                first = false;
                const qsizetype before = text.length();
                MalformedUtf8 inPiece;
                decodeDocument(piece, readAs, append, DecodedPieceBytes, &inPiece);
                if (inPiece.count && !malformed.count)
                    malformed.firstTextOffset = before + inPiece.firstTextOffset;
                malformed.count += inPiece.count;
                if (!last)
                    text.append("\n");
            });
        if (readAgain) {
            read.lineBreak = lineBreaks.lineBreak();
            return;
        }
    }
    if (size != fileBytes.size()) {
        // Changed while it was read again, or its bytes were not kept and it cannot be read
        // again: decoded as it is now.
        text.clear();
        malformed = {};
        DocumentRead now = readDocument(sameFile, read.encoding);
        fileBytes = std::move(now.bytes);
        read.lineBreak = now.lineBreak;
        read.stamp = now.stamp;
    }
    reserveFor(QByteArrayView(fileBytes).first(std::min(fileBytes.size(), DecodedPieceBytes)));
    decodeDocument(fileBytes, readAs, append, DecodedPieceBytes, &malformed);
}
