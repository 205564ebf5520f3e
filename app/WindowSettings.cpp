#include "app/WindowSettings.h"

#include "encoding/TextLines.h"

#include <QList>

namespace {

// Enough for four numbers; anything longer is noise and is cut before splitting.
constexpr qsizetype MaxSettingsBytes = 64 * 1024;
constexpr qsizetype MaxShownValue = 40;

QList<QByteArray> settingsLines(const QByteArray& bytes)
{
    QList<QByteArray> lines;
    TextLines::LineReader<TextLines::TextBreaks> reader(bytes);
    while (lines.size() < 4 && !reader.atEnd())
        lines.append(reader.next().toByteArray());
    return lines;
}

// Decimal integer in its plain form: optional minus sign and digits, nothing else.
bool parseInteger(const QByteArray& text, int& value)
{
    if (text.isEmpty() || text.contains('+') || text.contains(' '))
        return false;
    bool ok = false;
    value = text.toInt(&ok, 10);
    return ok;
}

} // namespace

QByteArray formatWindowSettings(const QRect& bounds)
{
    QByteArray text;
    for (int value : {bounds.width(), bounds.height(), bounds.x(), bounds.y()})
        text += QByteArray::number(value) + "\r\n";
    return text;
}

WindowSettings parseWindowSettings(const QByteArray& fileBytes)
{
    WindowSettings settings;
    const QList<QByteArray> lines = settingsLines(fileBytes.left(MaxSettingsBytes));
    for (int i = 0; i < 4; ++i) {
        if (i >= lines.size()) {
            settings.error = QStringLiteral("List index out of bounds (%1)").arg(i);
            return settings;
        }
        if (!parseInteger(lines[i], settings.values[i])) {
            QString shown = QString::fromLatin1(lines[i].left(MaxShownValue));
            if (lines[i].size() > MaxShownValue)
                shown += QStringLiteral("…");
            settings.error = QStringLiteral("'%1' is not a valid integer value").arg(shown);
            return settings;
        }
        settings.count = i + 1;
    }
    return settings;
}
