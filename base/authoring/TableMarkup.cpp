#include "authoring/TableMarkup.h"

#include <QLocale>

namespace {

struct NamedColour {
    const char* name;
    const char* code;
};

constexpr NamedColour Colours[] = {
    {"White", "#FFFFFF"}, {"Black", "#000000"},  {"Red", "#FF0000"},    {"Blue", "#0000FF"},
    {"Green", "#00FF00"}, {"Yellow", "#FFFF66"}, {"Orange", "#FF6600"}, {"Purple", "#CC33FF"},
};

const QString LineEnd = QStringLiteral("\r\n");

QString notAnInteger(const QString& text)
{
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

} // namespace

std::optional<QString> tableColourCode(const QString& name)
{
    for (const NamedColour& colour : Colours)
        if (name == QLatin1String(colour.name))
            return QString::fromLatin1(colour.code);
    return std::nullopt;
}

TableMarkup buildTableMarkup(const TableSettings& s, const QString& colourCode)
{
    TableMarkup result;
    result.colourCode = tableColourCode(s.colour).value_or(colourCode);

    bool rowsOk = false;
    bool columnsOk = false;
    const int rows = s.rows.toInt(&rowsOk);
    const int columns = s.columns.toInt(&columnsOk);
    if (!rowsOk) {
        result.error = notAnInteger(s.rows);
        return result;
    }
    if (!columnsOk) {
        result.error = notAnInteger(s.columns);
        return result;
    }
    // A row without cells still costs two lines, so rows count as at least one cell each.
    if (rows > 0 && qint64(rows) * qMax(columns, 1) > MaxTableCells) {
        const QLocale polish(QLocale::Polish);
        result.error =
            QStringLiteral("Tabela może mieć najwyżej %1 komórek (wiersze × kolumny); %2 × %3 "
                           "to za dużo.")
                .arg(polish.toString(MaxTableCells), s.rows, s.columns);
        return result;
    }

    QString& text = result.text;
    text += QStringLiteral("<table border=") + s.border + QStringLiteral(" bgcolor=") +
            result.colourCode + QStringLiteral(" cellpadding=") + s.padding +
            QStringLiteral(" cellspacing=") + s.spacing + QStringLiteral(" align=\"") + s.align +
            QStringLiteral("\" width=\"") + s.width + QStringLiteral("\" >") + LineEnd;
    if (!s.header.isEmpty())
        text += QStringLiteral("<th colspan=") + s.columns + QLatin1Char('>') + s.header +
                QStringLiteral("</th>");
    text += LineEnd;

    QString row = QStringLiteral("<tr>") + LineEnd;
    for (int column = 0; column < columns; ++column)
        row += QStringLiteral("<td> cela </td>") + LineEnd;
    row += QStringLiteral("</tr>") + LineEnd;
    for (int r = 0; r < rows; ++r)
        text += row;
    text += QStringLiteral("</table>") + LineEnd;
    return result;
}
