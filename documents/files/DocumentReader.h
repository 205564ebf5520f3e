#pragma once

#include "encoding/CharsetDetection.h"
#include "encoding/DocumentCodec.h"
#include "encoding/Encoding.h"
#include "encoding/TextLines.h"
#include "files/FileAccess.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// What reading a file found: its bytes and its format. decodeRead() decodes the bytes into a
// document's text (TSynMemo::loadFile), taking them and filling in `malformed`.
struct DocumentRead {
    QByteArray bytes;
    // The encoding the document is named after: the one asked for, else the one the file
    // declares or detection finds. Its text is decoded from encoding.readAs().
    Encoding encoding = EncodingUnknown;
    // For a file whose bytes were not kept, known only once decodeRead() has read it.
    LineBreak lineBreak = LineBreak::CrLf;
    // The file's first line holding "charset" (index -1 when none, or when an encoding was
    // asked for and nothing was detected).
    CharsetLine charsetLine;
    // What decoding met, when it was read as UTF-8.
    MalformedUtf8 malformed;
    // The file as it was just after it was read, to notice another program's change.
    FileStamp stamp;
    // The size of a large file whose bytes were not kept (readDocumentToShow()); decodeRead()
    // reads it. 0 when `bytes` holds the file.
    qint64 bytesNotKept = 0;
};

// The format of a file's bytes, detected once; with `asked`, only its line breaks.
DocumentRead inspectDocument(QByteArray bytes, std::optional<Encoding> asked = {});

// A file read to be shown in the editor, and inspectDocument()'s findings. Throws CommandError
// "Cannot open file <path>" with the reason when the file cannot be read (readWholeFile) or the
// editor could not hold its text: a file larger than the limit before any of it is read, one of
// too many lines before it is read whole, one whose decoded text would be too large before it
// is handed back.
DocumentRead readDocument(const QString& path, std::optional<Encoding> asked = {});

// readDocument() for a file about to be shown (decodeRead()): the bytes of a large file are not
// kept, so that the whole file is never held in memory besides its text. When its encoding is
// asked for or declared in its first lines, only those are read here, and decodeRead() reads
// the file once; otherwise it is inspected piece by piece first. Throws as readDocument() does.
DocumentRead readDocumentToShow(const QString& path, std::optional<Encoding> asked = {});

// Where decodeRead() puts the text it decodes: UTF-8 with LF breaks, appended piece by piece.
class DecodedText {
public:
    virtual ~DecodedText() = default;
    // Room for `bytes` of text, made at once before it arrives.
    virtual void reserve(qsizetype bytes) = 0;
    virtual void append(QByteArrayView text) = 0;
    // Length of the text appended so far.
    virtual qsizetype length() const = 0;
    // Back to empty.
    virtual void clear() = 0;
};

// Decodes the bytes of `read` from read.encoding.readAs() into `text`, which starts empty; the
// bytes are taken, and read.malformed receives what the UTF-8 reading met that was not UTF-8, its
// first place as a position of the text. `sameFile`, when given, is the file the bytes were read
// from: a large one is read again piece by piece instead of decoding bytes held whole, so that
// they are never in memory together with the text (one whose bytes were not kept has to be).
// Changed meanwhile, it is read anew (readDocument) and `read` then tells what was decoded; when
// even that fails, `text` is left empty and readDocument()'s CommandError thrown.
void decodeRead(DocumentRead& read, const QString& sameFile, DecodedText& text);
