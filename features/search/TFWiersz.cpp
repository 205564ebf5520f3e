#include "search/TFWiersz.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFWiersz::TFWiersz(long lineCount, long currentLine, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FWiersz"));
    setWindowTitle(QStringLiteral("Przejdź do wiersza"));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(
        QStringLiteral("&Numer wiersza (%1), po dwukropku kolumna:").arg(lineRangeText(lineCount)),
        this);
    label->setObjectName(QStringLiteral("Label1"));
    EditWiersz = new QLineEdit(QString::number(currentLine), this);
    EditWiersz->setObjectName(QStringLiteral("EditWiersz"));
    EditWiersz->selectAll();
    label->setBuddy(EditWiersz);
    Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(label);
    layout->addWidget(EditWiersz);
    layout->addWidget(Buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter does nothing until the box holds a place.
    connect(EditWiersz, &QLineEdit::textChanged, this,
            [this] { Buttons->button(QDialogButtonBox::Ok)->setEnabled(place().has_value()); });
}

std::optional<LinePlace> TFWiersz::place() const
{
    return parseLinePlace(EditWiersz->text());
}

std::optional<LinePlace> TFWiersz::ask(QWidget* parent, long lineCount, long currentLine)
{
    TFWiersz dialog(lineCount, currentLine, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.place();
}
