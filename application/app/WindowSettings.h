#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

#include <array>

class QWidget;

// The settings file: the window's width, height, left and top, one decimal line each,
// CR LF after every line.
QByteArray formatWindowSettings(const QRect& bounds);

// The values read from a settings file, in file order (width, height, left, top).
// `count` says how many were read before the first faulty or missing line;
// `error` is the message for that line, empty when all four were read.
struct WindowSettings {
    std::array<int, 4> values{};
    int count = 0;
    QString error;
};
WindowSettings parseWindowSettings(const QByteArray& fileBytes);

// The window takes the size and place kept in the settings file, each value within what the
// desktop can show; no file leaves it as it is. A faulty file throws CommandError after the
// values read before the fault were taken.
void restoreWindowGeometry(QWidget* window, const QString& settingsPath);
// Keeps the window's size and place in the settings file; throws CommandError when it cannot.
void saveWindowGeometry(const QWidget* window, const QString& settingsPath);

// Where the settings file lives: "Tagomir.dat" in `programFolder` when that folder already holds
// one, or when it is writable and not `installFolder` (the folder a package installs the program
// into); otherwise "Tagomir.dat" in `configFolder`, the user's own.
QString settingsFilePath(const QString& programFolder, const QString& installFolder,
                         const QString& configFolder);

// The settings file of this program, its folder created when it is the user's.
QString defaultSettingsFilePath();
