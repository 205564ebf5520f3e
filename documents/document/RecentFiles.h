#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

// The files last opened or saved, newest first, kept in a file of their own.

inline constexpr int RecentFilesLimit = 10;

// The list with `path` put first: once only (an older entry of the same file goes), and no
// longer than `limit`.
QStringList withRecentFile(const QStringList& list, const QString& path,
                           int limit = RecentFilesLimit);

// The list as it is kept, and read back: nothing for bytes that are not such a list whole (empty,
// cut short, binary, another file). Any path survives, a line break in its name included.
QByteArray formatRecentFiles(const QStringList& list);
std::optional<QStringList> parseRecentFiles(const QByteArray& bytes);

// The list kept in the file; an empty list when there is none or it is damaged or far too large.
QStringList loadRecentFiles(const QString& filePath);
// Writes the list whole or not at all; throws CommandError when it cannot.
void saveRecentFiles(const QString& filePath, const QStringList& list);

// Reads a small file of the program's own, or nothing when it is missing, unreadable or larger
// than `maxBytes`.
std::optional<QByteArray> readSmallFile(const QString& filePath, qint64 maxBytes);
