#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

// The personal word list: a UTF-8 file of one word a line, kept in the user's configuration.

// The longest list read; a longer file is read only this far, and left as it is.
inline constexpr qsizetype MaxPersonalListBytes = 4 << 20;

// The words of a list's bytes; lines that are not UTF-8, that hold spaces or are longer than a
// checked word are passed over (and kept in the file when a word is added).
QSet<QString> parsePersonalWords(QByteArrayView bytes);

// The list's bytes with `word` added as its last line, every line before kept as it was.
QByteArray withPersonalWord(QByteArray bytes, const QString& word);
