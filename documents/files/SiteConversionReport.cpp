#include "files/SiteConversionReport.h"

namespace {

using Outcome = FileConversion::Outcome;

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

QString item(const QString& label, const QString& text)
{
    return QStringLiteral("<li><b>%1:</b> %2</li>\n").arg(label, escaped(text));
}

} // namespace

QByteArray siteConversionReport(const SiteConversionRun& run, const QList<FileConversion>& files)
{
    qsizetype counts[4] = {};
    qsizetype declarationsChanged = 0;
    qsizetype declarationsInserted = 0;
    qsizetype marks = 0;
    qsizetype warnings = 0;
    QStringList servers;
    for (const FileConversion& file : files) {
        ++counts[int(file.outcome)];
        warnings += file.warnings.size();
        if (file.outcome != Outcome::Changed)
            continue;
        for (const QString& change : file.changes) {
            if (change.contains(QStringLiteral("wstawiono")))
                ++declarationsInserted;
            else if (change.contains(QStringLiteral("znacznik BOM")))
                ++marks;
            else
                ++declarationsChanged;
        }
        if (!file.serverOverride.isEmpty())
            servers << QStringLiteral("<li>%1: %2</li>\n")
                           .arg(escaped(file.path), escaped(file.serverOverride));
    }
    const QString target = run.target.name();
    QString html;
    html += QStringLiteral("<!DOCTYPE html>\n<html lang=\"pl\">\n<head>\n<meta charset=\"utf-8\">\n"
                           "<title>Zmiana kodowania na %1</title>\n"
                           "<style>body{font-family:sans-serif;max-width:60em;margin:1em auto}"
                           "table{border-collapse:collapse}td,th{border:1px solid #999;"
                           "padding:2px 8px;text-align:left}.uwaga{color:#a00}</style>\n"
                           "</head>\n<body>\n<h1>Zmiana kodowania na %1</h1>\n")
                .arg(target);
    html += QStringLiteral("<p>%1</p>\n")
                .arg(run.written ? QStringLiteral("Pliki zostały zmienione.")
                                 : QStringLiteral("Próba: nic nie zapisano."));
    html += QStringLiteral("<p class=\"czas\">Początek: %1; czas: %2 ms</p>\n")
                .arg(run.started.toString(Qt::ISODate))
                .arg(run.elapsedMs);
    html +=
        QStringLiteral("<p>Ścieżki: %1</p>\n").arg(escaped(run.paths.join(QLatin1String(", "))));
    if (!run.backupFolder.isEmpty())
        html += QStringLiteral("<p>Kopia plików sprzed zmiany: %1 (przywrócenie: "
                               "<code>tagomir --restore %1</code>)</p>\n")
                    .arg(escaped(run.backupFolder));
    html += QStringLiteral("<table>\n");
    auto row = [&](const QString& label, qsizetype value) {
        html += QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(label).arg(value);
    };
    row(QStringLiteral("Plików"), files.size() + run.notBegun);
    row(run.written ? QStringLiteral("Zmienione") : QStringLiteral("Do zmiany"),
        counts[int(Outcome::Changed)]);
    row(QStringLiteral("Bez zmian"), counts[int(Outcome::Unchanged)]);
    row(QStringLiteral("Pominięte"), counts[int(Outcome::Skipped)]);
    row(QStringLiteral("Błędy"), counts[int(Outcome::Failed)]);
    if (run.notBegun > 0)
        row(QStringLiteral("Nierozpoczęte (przerwano)"), run.notBegun);
    row(QStringLiteral("Zmienione deklaracje"), declarationsChanged);
    row(QStringLiteral("Wstawione deklaracje"), declarationsInserted);
    row(QStringLiteral("Usunięte znaczniki BOM"), marks);
    row(QStringLiteral("Uwagi"), warnings);
    html += QStringLiteral("</table>\n");
    if (!servers.isEmpty())
        html += QStringLiteral("<h2>Pliki serwera (ich ustawienia są ważniejsze niż deklaracje "
                               "stron)</h2>\n<ul>\n") +
                servers.join(QString()) + QStringLiteral("</ul>\n");

    html += QStringLiteral("<h2>Pliki</h2>\n");
    QString left;
    for (const FileConversion& file : files) {
        const QString status = describeOutcome(file, run.written, QStringLiteral("do zmiany"));
        if (file.outcome == Outcome::Skipped || file.outcome == Outcome::Failed) {
            left += QStringLiteral("<li>%1: %2</li>\n").arg(escaped(file.path), escaped(status));
            if (file.outcome == Outcome::Failed || file.warnings.isEmpty())
                continue;
        }
        html += QStringLiteral("<h3>%1</h3>\n<ul>\n").arg(escaped(file.path));
        if (!file.from.isEmpty())
            html += item(QStringLiteral("Kodowanie"), file.from + QStringLiteral(" → ") + file.to);
        html += item(QStringLiteral("Wynik"), status);
        if (file.outcome == Outcome::Changed) {
            for (const QString& change : file.changes)
                html += item(QStringLiteral("Zmiana"), change);
            html += item(QStringLiteral("Podziały wierszy"),
                         file.lineBreaks.isEmpty() ? QStringLiteral("bez zmian") : file.lineBreaks);
            if (!file.backupPath.isEmpty())
                html += item(QStringLiteral("Kopia"), file.backupPath);
        }
        if (!file.evidence.isEmpty())
            html += item(QStringLiteral("Bajty"), file.evidence);
        if (!file.serverOverride.isEmpty())
            html += item(QStringLiteral("Serwer"), file.serverOverride);
        for (const QString& warning : file.warnings)
            html +=
                QStringLiteral("<li class=\"uwaga\"><b>Uwaga:</b> %1</li>\n").arg(escaped(warning));
        html += QStringLiteral("</ul>\n");
    }
    if (!left.isEmpty())
        html +=
            QStringLiteral("<h2>Pominięte i błędy</h2>\n<ul>\n") + left + QStringLiteral("</ul>\n");
    html += QStringLiteral("</body>\n</html>\n");
    return html.toUtf8();
}

QString reportPathFor(const QString& folder, const QDateTime& started)
{
    return folder + QStringLiteral("/raport-") +
           started.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".html");
}
