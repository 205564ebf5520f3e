#include "search/TForm3.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

TForm3::TForm3(QWidget* parent) : SearchDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Zamiana tekstu"));
    setFixedSize(361, 253);
    // These captions differ from the find dialog's on purpose and stay as they are.
    buildCommon(QStringLiteral("Szukaną frazę:"), QRect(120, 12, 231, 21), QRect(8, 72, 193, 65),
                169, QRect(8, 145, 193, 65), QStringLiteral("Kierunek "),
                QStringLiteral("W dól tekstu"), QRect(208, 72, 145, 65), QRect(208, 145, 145, 65));
    Label2 = new QLabel(QStringLiteral("Zastąp tekstem:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(8, 43);
    Label2->adjustSize();
    ReplaceText = addHistoryBox("ReplaceText", QRect(120, 39, 231, 21));
    Prompt = new QCheckBox(QStringLiteral("Pokazuj miejsca"), Options);
    Prompt->setObjectName(QStringLiteral("Prompt"));
    Prompt->setChecked(true);
    Prompt->hide();
    ReplaceAll = addButton("ReplaceAll", QStringLiteral("&Zamień wszystko"),
                           QRect(32, 216, 121, 25), ResultReplaceAll);
    Button1 = addButton("Button1", QStringLiteral("&Ok"), QRect(160, 216, 75, 25), ResultOk);
    Button2 =
        addButton("Button2", QStringLiteral("&Anuluj"), QRect(248, 216, 75, 25), ResultCancel);
    fitCaptions();
    addRegexBox();

    setTabOrderOf({CaseSensitive, Wholewords, RegularExpression, Scope, Direction, Origin, Button1,
                   Button2, FindText, ReplaceText, ReplaceAll});
}

QString TForm3::replaceText() const
{
    return ReplaceText->currentText();
}

SearchOptions TForm3::options() const
{
    SearchOptions options = SearchDialog::options();
    options.setFlag(SearchOption::Prompt, Prompt->isChecked());
    return options;
}

void TForm3::confirm(int result)
{
    addToHistory(FindText);
    addToHistory(ReplaceText);
    done(result);
}
