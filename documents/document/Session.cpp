#include "document/Session.h"

#include "document/RecentFiles.h"
#include "files/FileWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QString SessionKind = QStringLiteral("tagomir-session");
constexpr qint64 MaxSessionBytes = 8 << 20;
constexpr int MaxFiles = 10000;

std::optional<long> positive(const QJsonValue& value)
{
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 1 || number > 2e9 || number != long(number))
        return std::nullopt;
    return long(number);
}

} // namespace

QByteArray formatSession(const Session& session)
{
    QJsonArray files;
    for (const SessionFile& file : session.files)
        files.append(QJsonObject{{QStringLiteral("path"), file.path},
                                 {QStringLiteral("encoding"), file.encoding},
                                 {QStringLiteral("line"), double(file.line)},
                                 {QStringLiteral("column"), double(file.column)},
                                 {QStringLiteral("firstShownLine"), double(file.firstShownLine)}});
    const QJsonObject root{{QStringLiteral("kind"), SessionKind},
                           {QStringLiteral("restore"), session.restore},
                           {QStringLiteral("active"), session.active},
                           {QStringLiteral("files"), files}};
    return QJsonDocument(root).toJson();
}

std::optional<Session> parseSession(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    if (root.value(QStringLiteral("kind")).toString() != SessionKind ||
        !root.value(QStringLiteral("restore")).isBool())
        return std::nullopt;
    Session session;
    session.restore = root.value(QStringLiteral("restore")).toBool();
    const QJsonArray files = root.value(QStringLiteral("files")).toArray();
    if (files.size() > MaxFiles)
        return std::nullopt;
    for (const QJsonValue& value : files) {
        const QJsonObject file = value.toObject();
        const QString path = file.value(QStringLiteral("path")).toString();
        const auto line = positive(file.value(QStringLiteral("line")));
        const auto column = positive(file.value(QStringLiteral("column")));
        const auto top = positive(file.value(QStringLiteral("firstShownLine")));
        if (path.isEmpty() || !line || !column || !top)
            return std::nullopt;
        session.files << SessionFile{path, file.value(QStringLiteral("encoding")).toString(), *line,
                                     *column, *top};
    }
    const int active = root.value(QStringLiteral("active")).toInt(-1);
    session.active = active >= 0 && active < session.files.size() ? active : -1;
    return session;
}

Session loadSession(const QString& filePath)
{
    const auto bytes = readSmallFile(filePath, MaxSessionBytes);
    return bytes ? parseSession(*bytes).value_or(Session()) : Session();
}

void saveSession(const QString& filePath, const Session& session)
{
    writeWholeFile(filePath, formatSession(session), WriteTarget::ThisNameOnly);
}
