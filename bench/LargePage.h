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
