#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

// About 100 MB of Polish HTML in windows-1250, about 2 M lines. `between`, when given, follows
// every line of the body; `closing` stands just before its end.
inline QString makeLargePage(const QTemporaryDir& dir, const QByteArray& between = {},
                             const QByteArray& closing = {})
{
    const QString path = dir.filePath("large.htm");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
               "charset=windows-1250\"></head><body>\r\n");
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
