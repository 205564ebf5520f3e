#include "search/TForm2.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>

TForm2::TForm2(QWidget* parent) : SearchDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Szukanie frazy"));
    setFixedSize(353, 227);
    buildCommon(QStringLiteral("Szukana fraza:"), QRect(96, 12, 249, 21), QRect(8, 40, 201, 65),
                177, QRect(8, 113, 201, 65), QStringLiteral(" Kierunek "),
                QStringLiteral("W dół tekstu"), QRect(216, 40, 129, 65), QRect(216, 113, 129, 65));
    Button1 = addButton("Button1", QStringLiteral("&Ok"), QRect(96, 192, 75, 25), ResultOk);
    Button2 =
        addButton("Button2", QStringLiteral("&Anuluj"), QRect(184, 192, 75, 25), ResultCancel);
    fitCaptions();
    addRegexBox();

    setTabOrderOf({CaseSensitive, Wholewords, RegularExpression, Scope, Direction, Origin, Button1,
                   Button2, FindText});
}

void TForm2::confirm(int result)
{
    addToHistory(FindText);
    done(result);
}
