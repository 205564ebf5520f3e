#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The files open when the window closed, to open again at the next start when the user wants
// that, and the wish itself.

struct SessionFile {
    QString path;
    QString encoding; // the page encoding name it was read in
    long line = 1;    // the caret, from 1; the column counts characters
    long column = 1;
    long firstShownLine = 1;
    bool operator==(const SessionFile&) const = default;
};

struct Session {
    bool restore = false; // "Przywracaj pliki przy starcie"
    QList<SessionFile> files;
    int active = -1; // index in `files`
    bool operator==(const Session&) const = default;
};

// The session as it is kept, and read back: nothing for bytes that are not such a session whole.
QByteArray formatSession(const Session& session);
std::optional<Session> parseSession(const QByteArray& bytes);

// The session kept in the file: the default (no restoring, no files) when there is none or it
// is damaged or far too large.
Session loadSession(const QString& filePath);
// Writes the session whole or not at all, so that of two windows closing at once the last one's
// session is kept; throws CommandError when it cannot.
void saveSession(const QString& filePath, const Session& session);
