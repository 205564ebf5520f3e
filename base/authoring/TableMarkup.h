#pragma once

#include <QString>

#include <optional>

// The table generator's fields as the user left them; nothing is trimmed or checked.
struct TableSettings {
    QString rows = QStringLiteral("3");
    QString columns = QStringLiteral("4");
    QString colour = QStringLiteral("White");
    QString align = QStringLiteral("left");
    QString header = QStringLiteral("Panie Janie");
    QString width = QStringLiteral("120");
    QString border = QStringLiteral("2");
    QString padding = QStringLiteral("3");
    QString spacing = QStringLiteral("2");
};

// At 100,000 cells the markup is about 1.7 MB; a larger count could only come from a slip of
// the keyboard, and would freeze the window or exhaust memory while the table is built.
inline constexpr long long MaxTableCells = 100000;

// The code of one of the eight colour names ("White" -> "#FFFFFF"), matched exactly, or nothing.
std::optional<QString> tableColourCode(const QString& name);

struct TableMarkup {
    // The current colour code after this attempt: a recognised name's code, else the old one.
    QString colourCode;
    // The table, every line followed by CR LF; empty when `error` is set.
    QString text;
    // Why no table could be made, in the user's words; empty on success.
    QString error;
};

// The table for `settings`, coloured with `colourCode` unless the settings name a colour.
TableMarkup buildTableMarkup(const TableSettings& settings, const QString& colourCode);
