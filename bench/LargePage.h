#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// About 100 MB of Polish HTML in windows-1250, about 2 M lines, as `name` in `dir`. `between`,
// when given, follows every line of the body; `closing` stands just before its end. Unless
// `declared`, the page has no charset declaration.
inline QString makeLargePage(const QTemporaryDir& dir, const QByteArray& between = {},
                             const QByteArray& closing = {}, bool declared = true,
                             const QString& name = QStringLiteral("large.htm"))
{
    const QString path = dir.filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    if (declared)
        file.write("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                   "charset=windows-1250\"></head><body>\r\n");
    else
        file.write("<html><head></head><body>\r\n");
    const QByteArray line = "<p>Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1, \xa3\xf3"
                            "d\x9f i Gda\xf1sk \x8c"
                            "wi\xeatokrzyskie.</p>\r\n";
    QByteArray block;
    for (int i = 0; i < 10000; ++i)
        block += line + between;
    while (file.size() < 100'000'000)
        file.write(block);
    file.write(closing);
    file.write("</body></html>\r\n");
    return path;
}

// A minified page of about `bytes` bytes in UTF-8 on one line, without a single line break:
// style rules, then cards of Polish markup with attributes, nested tags and entities, then a
// script, as `name` in `dir` (or at `path` when given).
inline QString makeOneLinePage(const QTemporaryDir& dir, qint64 bytes, const QString& path = {},
                               const QString& name = QStringLiteral("oneline.htm"))
{
    const QString target = path.isEmpty() ? dir.filePath(name) : path;
    QFile file(target);
    file.open(QIODevice::WriteOnly);
    file.write("<!DOCTYPE html><html lang=\"pl\"><head><meta charset=\"utf-8\"><title>Zażółć "
               "gęślą jaźń</title><style>body{margin:0;font:16px/1.5 serif;color:#222}");
    for (int i = 0; file.pos() < bytes / 20; ++i) {
        const QByteArray n = QByteArray::number(i);
        file.write(".k" + n + "{margin:0 auto;padding:" + QByteArray::number(i % 9) +
                   "px;color:#2a" + QByteArray::number(10 + i % 90) + "ff}.k" + n + ">a:hover,.k" +
                   n + " li+li{content:\"→ ż\";border-bottom:1px solid #ccc}");
    }
    file.write("</style></head><body>");
    const QByteArray closing = "</script></body></html>";
    for (int i = 0; file.pos() < bytes - bytes / 20 - closing.size(); ++i) {
        const QByteArray n = QByteArray::number(i);
        file.write("<div class=\"k" + n + " karta\" id=\"a" + n + "\" data-nr=\"" + n +
                   "\"><h2 title=\"Łódź &amp; Gdańsk\">Zażółć gęślą jaźń</h2>");
        file.write("<p>Źdźbło trawy nad Wisłą &ndash; <a href=\"/miasta/gdańsk.html?id=" + n +
                   "&amp;s=2\">Gdańsk</a>, <b>Świętokrzyskie</b> &bdquo;Żółw&rdquo; "
                   "&#8222;ćma&#8221;<br><img src=\"img/" +
                   n + ".png\" alt=\"Łąka\"></p>");
        file.write("<ul><li>Śląsk</li><li>Kraków &gt; Poznań</li></ul></div>");
    }
    file.write("<script>var d=document,t=[\"Zażółć\",\"gęślą\",\"jaźń\"],s=0;");
    for (int i = 0; file.pos() < bytes - closing.size(); ++i) {
        const QByteArray n = QByteArray::number(i);
        file.write("function f" + n + "(a,b){var e=d.getElementById(\"a" + n +
                   "\");if(e&&a>b){e.title=\"Łódź \"+t[" + QByteArray::number(i % 3) +
                   "]+' nr '+(a*" + n + "+b);}return a+b;}s+=f" + n + "(" + n + ",2);");
    }
    file.write(closing);
    return target;
}
