#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>

class QWidget;

// Byte literals holding NUL bytes, sized by the compiler.
template <std::size_t N> QByteArray bytesOf(const char (&literal)[N])
{
    return QByteArray(literal, N - 1);
}

// Writes the bytes as the whole file (stopping the test run when it cannot) and returns `path`.
QString writeFile(const QString& path, const QByteArray& bytes);
// The whole file, or "<missing>" when it cannot be read.
QByteArray readFile(const QString& path);
// Types the text into the widget a character at a time, Polish letters included.
void typeText(QWidget* widget, const QString& text);
