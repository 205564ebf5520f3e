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

// Writes the file whole and returns its path; a failure ends the test run.
QString writeFile(const QString& path, const QByteArray& bytes);
// The file's bytes, or "<missing>" when it cannot be read, so that a comparison shows it.
QByteArray readFile(const QString& path);
// Types the text into the widget one character at a time, as key events.
void typeText(QWidget* widget, const QString& text);
