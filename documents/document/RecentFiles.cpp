#include "document/RecentFiles.h"

#include "files/FileAccess.h"
#include "files/FileWriter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString RecentKind = QStringLiteral("tagomir-recent-files");
constexpr qint64 MaxRecentBytes = 1 << 20;

} // namespace

QStringList withRecentFile(const QStringList& list, const QString& path, int limit)
{
    QStringList result{path};
    const QString same = comparablePath(path);
    for (const QString& entry : list)
        if (result.size() < limit && comparablePath(entry) != same)
            result << entry;
    return result;
}

QByteArray formatRecentFiles(const QStringList& list)
{
    QJsonObject root;
    root.insert(QStringLiteral("kind"), RecentKind);
    root.insert(QStringLiteral("files"), QJsonArray::fromStringList(list));
    return QJsonDocument(root).toJson();
}

std::optional<QStringList> parseRecentFiles(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        document.object().value(QStringLiteral("kind")).toString() != RecentKind)
        return std::nullopt;
    QStringList list;
    for (const QJsonValue& value : document.object().value(QStringLiteral("files")).toArray()) {
        if (!value.isString() || value.toString().isEmpty())
            return std::nullopt;
        if (list.size() < RecentFilesLimit)
            list << value.toString();
    }
    return list;
}

std::optional<QByteArray> readSmallFile(const QString& filePath, qint64 maxBytes)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxBytes)
        return std::nullopt;
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

QStringList loadRecentFiles(const QString& filePath)
{
    const auto bytes = readSmallFile(filePath, MaxRecentBytes);
    return bytes ? parseRecentFiles(*bytes).value_or(QStringList()) : QStringList();
}

void saveRecentFiles(const QString& filePath, const QStringList& list)
{
    writeWholeFile(filePath, formatRecentFiles(list), WriteTarget::ThisNameOnly);
}
