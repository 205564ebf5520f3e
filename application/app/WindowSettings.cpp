#include "app/WindowSettings.h"

#include "common/CommandError.h"
#include "files/FileAccess.h"
#include "encoding/TextLines.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

namespace {

// Enough for four numbers; anything longer is noise, never read.
constexpr qsizetype MaxSettingsBytes = 4 * 1024;
constexpr qsizetype MaxShownValue = 40;
constexpr int MinimumWidth = 320;
constexpr int MinimumHeight = 240;

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
            // A garbage file shows as readable text: control bytes escaped, the rest cut short.
            QString shown;
            for (const char c : lines[i].left(MaxShownValue)) {
                const auto byte = static_cast<unsigned char>(c);
                shown += byte < 0x20 || byte == 0x7F
                             ? QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'))
                             : QString(QChar(byte));
            }
            if (lines[i].size() > MaxShownValue)
                shown += QStringLiteral("…");
            settings.error = QStringLiteral("'%1' is not a valid integer value").arg(shown);
            return settings;
        }
        settings.count = i + 1;
    }
    return settings;
}

void restoreWindowGeometry(QWidget* window, const QString& settingsPath)
{
    if (!QFileInfo::exists(settingsPath))
        return;
    const WindowSettings settings =
        parseWindowSettings(readFileStart(settingsPath, MaxSettingsBytes));
    const QScreen* screen = window->screen();
    const QRect desktop = screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
    // A value that would make the window vanish or outgrow the desktop is kept within it.
    const auto clampWidth = [&](int w) {
        return qBound(MinimumWidth, w, qMax(MinimumWidth, desktop.width()));
    };
    const auto clampHeight = [&](int h) {
        return qBound(MinimumHeight, h, qMax(MinimumHeight, desktop.height()));
    };
    const auto& v = settings.values;
    if (settings.count > 0)
        window->resize(clampWidth(v[0]), window->height());
    if (settings.count > 1)
        window->resize(window->width(), clampHeight(v[1]));
    if (settings.count > 2)
        window->move(v[2], window->y());
    if (settings.count > 3)
        window->move(window->x(), v[3]);
    if (!settings.error.isEmpty())
        throw CommandError(settings.error);
}

void saveWindowGeometry(const QWidget* window, const QString& settingsPath)
{
    const QRect frame = window->frameGeometry();
    // Written as a file of its own: a link planted in its place is replaced, never followed.
    writeWholeFile(settingsPath, formatWindowSettings(QRect(frame.topLeft(), window->size())),
                   WriteTarget::ThisNameOnly);
}

QString settingsFilePath(const QString& programFolder, const QString& installFolder,
                         const QString& configFolder)
{
    const QString name = QStringLiteral("Tagomir.dat");
    const QDir program(programFolder);
    const QString canonical = program.canonicalPath();
    const bool installed = !canonical.isEmpty() && QDir(installFolder).canonicalPath() == canonical;
    if (program.exists(name) || (!installed && QFileInfo(programFolder).isWritable()))
        return program.filePath(name);
    return QDir(configFolder).filePath(name);
}

QString defaultSettingsFilePath()
{
    const QString path = settingsFilePath(
        QCoreApplication::applicationDirPath(), QStringLiteral(TAGOMIR_INSTALL_BINDIR),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation));
    QDir().mkpath(QFileInfo(path).path());
    return path;
}
