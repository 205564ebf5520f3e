#pragma once

// One line at a time, the plain way: the reading the whole-document conversions in encoding/
// must agree with.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// UTF-8 encoding of UTF-16 text: a surrogate pair becomes one 4-byte sequence, a lone surrogate
// EF BF BD.
QByteArray WideToUtf8(QStringView text);
// UTF-8 decoding byte by byte: each well-formed sequence is its character; the longest start of
// one that is cut short, and each byte that starts none (a stray continuation, C0, C1, F5-FF),
// is one U+FFFD, so overlongs, encoded surrogates and values above U+10FFFF are U+FFFD too.
QString Utf8ToWide(QByteArrayView bytes);

// The six Polish letters that ISO-8859-2 codes differently (ĄŚŹąśź) become their windows-1250
// bytes; every other byte is unchanged.
QByteArray IsoToCp1250(QByteArrayView line);
// The reverse of IsoToCp1250: the six windows-1250 letters become their ISO-8859-2 bytes.
QByteArray Cp1250ToIso(QByteArrayView line);
// windows-1250 bytes as text; the unassigned 0x81, 0x83, 0x88, 0x90, 0x98 stand for U+0081 etc.,
// so every byte string round-trips through WideToCp1250.
QString Cp1250ToWide(QByteArrayView bytes);
// Text as windows-1250 bytes; a character the code page lacks becomes the same letter without
// its diacritic where there is one, else '?' (a surrogate pair is one character, one '?').
QByteArray WideToCp1250(QStringView text);
