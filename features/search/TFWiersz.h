#pragma once

#include "search/LinePlace.h"

#include <QDialog>

#include <optional>

class QDialogButtonBox;
class QLineEdit;

// "Przejdź do wiersza": one box for a line number, with an optional column after a colon, and
// the document's range of lines beside it. Enter goes there, Esc closes.
class TFWiersz : public QDialog {
    Q_OBJECT
public:
    TFWiersz(long lineCount, long currentLine, QWidget* parent = nullptr);

    // The place typed, once the box holds one.
    std::optional<LinePlace> place() const;

    // Asks for a place in a document of `lineCount` lines; nothing when the user closes the box.
    static std::optional<LinePlace> ask(QWidget* parent, long lineCount, long currentLine);

private:
    QLineEdit* EditWiersz;
    QDialogButtonBox* Buttons;
};
