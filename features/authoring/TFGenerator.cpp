#include "authoring/TFGenerator.h"

#include "widgets/EditableList.h"

#include "authoring/UpDown.h"
#include "desktop/Desktop.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// The colour code of the last recognised colour name: shared by every use of the generator
// for as long as the program runs, empty until the first one.
QString& currentColourCode()
{
    static QString code;
    return code;
}

QStringList numbers(int first, int last)
{
    QStringList items;
    for (int i = first; i <= last; ++i)
        items << QString::number(i);
    return items;
}

QComboBox* sizedList(const char* name, const QStringList& items, const QString& text, int width,
                     QWidget* parent)
{
    QComboBox* combo = editableList(name, items, text, parent);
    combo->setFixedWidth(width);
    return combo;
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// A label with its blue note in brackets below it.
QWidget* captionWithNote(const QString& text, const QString& note, QWidget* buddy, QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(caption(text, buddy, box));
    auto* blue = new QLabel(note, box);
    QPalette palette = blue->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    blue->setPalette(palette);
    layout->addWidget(blue, 0, Qt::AlignHCenter);
    return box;
}

constexpr int ClientWidth = 577;
constexpr int ClientHeight = 165;

} // namespace

TFGenerator::TFGenerator(Desktop& desktop, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_desktop(desktop)
{
    setObjectName(QStringLiteral("FGenerator"));
    setWindowTitle(QStringLiteral("Generator tabel HTML"));
    QFont face = font();
    face.setPixelSize(13);
    setFont(face);

    const TableSettings defaults;
    ComboBoxEx1 = sizedList("ComboBoxEx1", numbers(1, 6), defaults.rows, 52, this);
    ComboBoxEx2 = sizedList("ComboBoxEx2", numbers(1, 7), defaults.columns, 52, this);
    Combo1 = sizedList("Combo1",
                       {QStringLiteral("White"), QStringLiteral("Black"), QStringLiteral("Red"),
                        QStringLiteral("Blue"), QStringLiteral("Green"), QStringLiteral("Yellow"),
                        QStringLiteral("Orange"), QStringLiteral("Purple")},
                       defaults.colour, 90, this);
    Combo3 = sizedList("Combo3",
                       {QStringLiteral("left"), QStringLiteral("center"), QStringLiteral("right")},
                       defaults.align, 80, this);
    Edit2 = new QLineEdit(defaults.header, this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    // Room for an ordinary header of about forty characters.
    Edit2->setMinimumWidth(Edit2->fontMetrics().averageCharWidth() * 40 + 8);
    Edit1 = new QLineEdit(defaults.width, this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setFixedWidth(52);
    UpDown1 = new UpDown(Edit1, 0, 3100, this);
    UpDown1->setObjectName(QStringLiteral("UpDown1"));
    UpDown1->setFixedSize(17, Edit1->sizeHint().height());
    Combo2 = sizedList("Combo2", numbers(0, 5), defaults.border, 52, this);
    Combo4 = sizedList("Combo4", numbers(0, 5), defaults.padding, 52, this);
    Combo5 = sizedList("Combo5", numbers(0, 5), defaults.spacing, 52, this);

    Button1 = new QPushButton(QStringLiteral("&OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("&Anuluj"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    for (QPushButton* button : {Button1, Button2})
        button->setMinimumWidth(90);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(14);
    // Three rows of label and field pairs; the fields line up in columns across the rows.
    const auto place = [grid](int row, int column, QWidget* label, QWidget* field) {
        grid->addWidget(label, row, 2 * column, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(field, row, 2 * column + 1, Qt::AlignLeft | Qt::AlignVCenter);
    };
    place(0, 0, caption(QStringLiteral("Wierszy:"), ComboBoxEx1, this), ComboBoxEx1);
    place(0, 1, caption(QStringLiteral("Kolumn:"), ComboBoxEx2, this), ComboBoxEx2);
    place(0, 2, caption(QStringLiteral("Kolor tła"), Combo1, this), Combo1);
    place(0, 3, caption(QStringLiteral("Wyrównanie:"), Combo3, this), Combo3);

    // The second row has the long header field: it is laid out on its own after its label,
    // and the other rows keep to the left.
    auto* secondRow = new QHBoxLayout;
    secondRow->setSpacing(0);
    secondRow->addWidget(Edit2, 1);
    secondRow->addSpacing(12);
    secondRow->addWidget(caption(QStringLiteral("Szer.Tabeli (w pikselach):"), Edit1, this));
    secondRow->addSpacing(6);
    secondRow->addWidget(Edit1);
    secondRow->addWidget(UpDown1);
    secondRow->addSpacing(12);
    secondRow->addWidget(caption(QStringLiteral("Szer.Ramki:"), Combo2, this));
    secondRow->addSpacing(6);
    secondRow->addWidget(Combo2);
    grid->addWidget(caption(QStringLiteral("Nagłówek:"), Edit2, this), 1, 0,
                    Qt::AlignRight | Qt::AlignVCenter);
    grid->addLayout(secondRow, 1, 1, 1, 8);
    grid->setColumnStretch(8, 1);

    grid->addWidget(captionWithNote(QStringLiteral("Odstępy wewnątrz komórek:"),
                                    QStringLiteral("(cellpadding)"), Combo4, this),
                    2, 0, 1, 3, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(Combo4, 2, 3, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(captionWithNote(QStringLiteral("Odstępy między komórkami:"),
                                    QStringLiteral("(cellspacing)"), Combo5, this),
                    2, 4, 1, 3, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(Combo5, 2, 7, Qt::AlignLeft | Qt::AlignTop);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addSpacing(24);
    buttons->addWidget(Button2);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(grid);
    layout->addStretch();
    layout->addLayout(buttons);
    const QSize hint = sizeHint();
    setFixedSize(qMax(hint.width(), ClientWidth), qMax(hint.height(), ClientHeight));

    connect(Button1, &QPushButton::clicked, this, &TFGenerator::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFGenerator::Button2Click);
    ComboBoxEx1->setFocus();
}

std::optional<QString> TFGenerator::ask(Desktop& desktop, QWidget* parent)
{
    TFGenerator dialog(desktop, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.markup();
}

TableSettings TFGenerator::settings() const
{
    TableSettings s;
    s.rows = ComboBoxEx1->currentText();
    s.columns = ComboBoxEx2->currentText();
    s.colour = Combo1->currentText();
    s.align = Combo3->currentText();
    s.header = Edit2->text();
    s.width = Edit1->text();
    s.border = Combo2->currentText();
    s.padding = Combo4->currentText();
    s.spacing = Combo5->currentText();
    return s;
}

void TFGenerator::showEvent(QShowEvent* event)
{
    // In the middle of the desktop, as it was before the window remembered any position.
    if (QScreen* place = screen())
        move(place->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    QDialog::showEvent(event);
}

void TFGenerator::Button1Click()
{
    const TableMarkup table = buildTableMarkup(settings(), currentColourCode());
    currentColourCode() = table.colourCode;
    if (!table.error.isEmpty()) {
        m_desktop.showError(this, table.error);
        return;
    }
    m_markup = table.text;
    accept();
}

void TFGenerator::Button2Click()
{
    reject();
}
