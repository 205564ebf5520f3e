#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// Lines of a file, byte by byte: split at CR LF, lone CR, lone LF and NUL (dropped); a break at
// the very end starts no extra line; empty input = no lines.
QList<QByteArray> splitLines(QByteArrayView fileBytes);
