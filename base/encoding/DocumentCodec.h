#pragma once

#include "encoding/Encoding.h"
#include "encoding/TextLines.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

// Bytes of a file read as UTF-8 that belong to no well-formed sequence: how many U+FFFD the
// decoded text holds for them, and the byte offset in that text of the first (-1 for none).
struct MalformedUtf8 {
    qsizetype count = 0;
    qsizetype firstTextOffset = -1;
};

// Decodes a file's bytes into editor text: the file's lines (TextLines.h), each decoded, joined
// by '\n' (no trailing '\n').
// UTF-8: straight to Unicode (no detour through windows-1250); each longest start of a
// well-formed sequence that is cut short, and each byte that starts none, becomes one U+FFFD
// and the next byte is read afresh (the Unicode standard's maximal subparts). ISO-8859-2,
// CP-1250 and Nieznany alike: each byte mapped from ISO-8859-2 to windows-1250
// (isoToCp1250Map(), which moves the letters where the two differ), then read through the
// windows-1250 table. The sink receives the text in consecutive pieces of roughly chunkBytes,
// each ending on a character boundary; an empty result reaches the sink as no piece at all.
// `malformed`, when given, receives what the UTF-8 reading met (nothing for the other encodings).
void decodeDocument(QByteArrayView fileBytes, Encoding encoding,
                    const std::function<void(QByteArrayView)>& sink, qsizetype chunkBytes = 4 << 20,
                    MalformedUtf8* malformed = nullptr);
QByteArray decodeDocument(QByteArrayView fileBytes, Encoding encoding,
                          MalformedUtf8* malformed = nullptr);

// The size in bytes of decodeDocument()'s result, worked out a piece at a time without holding
// it; counting stops once it exceeds `limit`, and then some size above `limit` is returned.
qsizetype decodedSize(QByteArrayView fileBytes, Encoding encoding, qsizetype limit);

// Bytes of a file holding the editor's text (UTF-8; lines split at CR LF, lone CR or LF, a break
// at the end leaving an empty last line; empty text = no lines), each line converted and
// followed by `lineBreak`, the last one too.
// In the encoding's save form (Encoding::saveForm()): UTF-8, the text's own characters as UTF-8
// (valid UTF-8 passes unchanged); ISO-8859-2, each character's windows-1250 byte (its best fit,
// or "?"), mapped to ISO-8859-2 (cp1250ToIsoMap()); CP-1250, the windows-1250 bytes mapped
// through isoToCp1250Map(); Nieznany, the windows-1250 bytes unchanged (the 8-bit form). A byte of
// the text that is not part of a well-formed UTF-8 sequence counts as U+FFFD, one for each maximal
// subpart as in decoding.
QByteArray encodeDocument(QByteArrayView editorText, Encoding encoding, LineBreak lineBreak);

// The same bytes handed to `sink` in consecutive pieces of roughly chunkBytes of text each, cut
// at line breaks, so that a large document is written without a copy of it all in memory.
void encodeDocument(QByteArrayView editorText, Encoding encoding, LineBreak lineBreak,
                    const std::function<void(QByteArrayView)>& sink,
                    qsizetype chunkBytes = 4 << 20);
