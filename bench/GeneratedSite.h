#pragma once

// The generated site of the site benchmarks: `pages` pages of 50 KB each (ISO-8859-2,
// windows-1250, UTF-8 and undeclared windows-1250 in turn), a hundred to a folder.
#include "encoding/DocumentCodec.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

constexpr qsizetype PageBytes = 50 * 1000;

QByteArray pageText(int kind, int number)
{
    static const char* const declarations[] = {
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-2\">\n",
        "<meta charset=\"windows-1250\">\n", "<meta charset=\"utf-8\">\n", ""};
    QByteArray text = "<!DOCTYPE html>\n<html>\n<head>\n";
    text += declarations[kind];
    text += "<title>Strona " + QByteArray::number(number) + "</title>\n</head>\n<body>\n";
    const QByteArray line = "<p>Zażółć gęślą jaźń — źdźbło trawy, łódź, pięść i ćma nad "
                            "Wisłą; ZAŻÓŁĆ GĘŚLĄ JAŹŃ.</p>\n";
    while (text.size() < PageBytes - 20)
        text += line;
    return text + "</body>\n</html>\n";
}

QByteArray pageBytes(int kind, int number)
{
    const QByteArray text = pageText(kind, number);
    switch (kind) {
    case 0:
        return encodeDocument(text, EncodingIso88592, LineBreak::Lf);
    case 2:
        return text;
    default:
        return encodeDocument(text, EncodingCp1250, LineBreak::Lf);
    }
}

// With `allUtf8`, every page in UTF-8 (for tools that read one encoding only).
void generate(const QString& folder, int pages, bool allUtf8 = false)
{
    QByteArray samples[4];
    for (int kind = 0; kind < 4; ++kind)
        samples[kind] = allUtf8 ? pageText(kind, 0) : pageBytes(kind, 0);
    for (int i = 0; i < pages; ++i) {
        const QString sub = folder + QStringLiteral("/dzial%1").arg(i / 100);
        QDir().mkpath(sub);
        QFile file(sub + QStringLiteral("/strona%1.htm").arg(i));
        if (!file.open(QIODevice::WriteOnly) || file.write(samples[i % 4]) != samples[i % 4].size())
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
    }
}

} // namespace
