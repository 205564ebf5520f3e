#pragma once

#include "files/SiteConversion.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// What the report of a site conversion says about the run as a whole.
struct SiteConversionRun {
    Encoding target = EncodingUtf8;
    bool written = true; // false for a check (--dry-run): nothing was changed
    QStringList paths;
    QString backupFolder; // empty when no copies were made
    QDateTime started;
    qint64 elapsedMs = 0;
    // Files not begun because the run was stopped.
    qsizetype notBegun = 0;
};

// The report as an HTML page in UTF-8: the totals at the top, the server files that override
// the pages' declarations, then per file its path, from → to, what happened, each declaration
// changed or inserted, the BOM dropped, the line breaks, what the bytes show and the warnings;
// the files skipped or failed, and why, at the end. The times stand alone on the line marked
// class="czas".
QByteArray siteConversionReport(const SiteConversionRun& run, const QList<FileConversion>& files);

// Where the window keeps the report of a run begun at `started` inside `folder`:
// "<folder>/raport-<yyyyMMdd-HHmmss>.html".
QString reportPathFor(const QString& folder, const QDateTime& started);
