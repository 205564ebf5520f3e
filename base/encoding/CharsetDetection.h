#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

struct CharsetLine {
    qsizetype index = -1;
    QByteArray loweredText;
    // Where the line's text lies in the bytes searched, its break excluded.
    qsizetype start = -1;
    qsizetype end = -1;
};

// The first line of a file (TextLines.h) whose text, with only A-Z lower-cased, contains
// "charset"; index -1 when none.
CharsetLine findCharsetLine(QByteArrayView text);
// "CP-1250", "ISO-8859-2" or "UTF-8" for a recognised declaration in an already lower-cased line,
// else an empty string.
// Tests "charset=win", "charset=iso-8859-2", "charset=utf-8" in this order, a later match
// winning; before them, blanks, '=' and quotes (" and ') between the word charset and the value
// are taken as "=" (so <meta charset="utf-8">, charset = 'iso-8859-2' and
// @charset "windows-1250"; are recognised), but only when at least one such character follows
// the word.
QString ClassifyCharsetLine(QByteArrayView loweredLine);
// True when the bytes are valid UTF-8 (strict: no overlongs, no surrogates, <= U+10FFFF)
// holding at least one multi-byte sequence.
bool isMultibyteUtf8(QByteArrayView bytes);
// The encoding name a file is read in: its recognised declaration, else "UTF-8" for valid
// multi-byte UTF-8, else "Nieznany".
QString detectFileEncoding(QByteArrayView fileBytes);
// The same, given the file's charset line as findCharsetLine() found it.
QString detectFileEncoding(QByteArrayView fileBytes, const CharsetLine& charsetLine);

// What detectFileEncoding() and findCharsetLine() find, for a file handed over piece by piece, in
// order, each piece ending just after a line feed but the last, so that no line and no UTF-8
// sequence is split between two pieces. A large file is inspected this way without holding it.
class EncodingEvidence {
public:
    void add(QByteArrayView piece);
    const CharsetLine& charsetLine() const { return m_charsetLine; }
    QString encodingName() const;
    // Whether the pieces still to come can no longer change encodingName(): the charset line
    // declares an encoding, or it was found and the bytes are not UTF-8.
    bool settled() const;

private:
    CharsetLine m_charsetLine;
    // Bytes and line breaks of the pieces before the charset line was found.
    qsizetype m_bytesBefore = 0;
    qsizetype m_breaksBefore = 0;
    bool m_nonAscii = false;
    bool m_malformed = false;
    // What the charset line declares, once it is found.
    QString m_declared;
};
