#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

enum class LineBreak { CrLf, Cr, Lf };

// CR alone if the bytes hold CR but no LF, LF alone if LF but no CR, otherwise CR LF.
LineBreak detectLineBreak(QByteArrayView fileBytes);
QByteArrayView lineBreakBytes(LineBreak lineBreak);
// How many lines of a file start before the end of `bytes`, less one: the breaks in it, a CR LF
// counting once (a CR last in `bytes` counts as a break of its own).
qsizetype countLineBreaks(QByteArrayView bytes);
// Lines of a file: split at CR LF, lone CR, lone LF and NUL (dropped); a break at the very end
// starts no extra line; empty input = no lines.
QList<QByteArray> splitLines(QByteArrayView fileBytes);
