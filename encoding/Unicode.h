#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// UTF-8 encoding of UTF-16 text: a surrogate pair becomes one 4-byte sequence, a lone surrogate
// EF BF BD.
QByteArray WideToUtf8(QStringView text);
// Lenient UTF-8 decoding: the lead byte alone says how many bytes follow, continuation bytes are
// not checked, overlongs and encoded surrogates pass, stray bytes 0x80-0xBF stand for U+0080-
// U+00BF; a sequence cut short by the end of the input and a value above U+10FFFF give U+FFFD.
QString Utf8ToWide(QByteArrayView bytes);
