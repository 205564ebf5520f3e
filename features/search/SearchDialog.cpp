#include "search/SearchDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

constexpr int DialogFontPixels = 13;
constexpr int TextBoxFontPixels = 11;
// Room kept between a caption and the edge of what holds it.
constexpr int Margin = 8;

int neededRight(const QWidget* child)
{
    return child->x() + qMax(child->width(), child->sizeHint().width());
}

} // namespace

SearchDialog::SearchDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    QFont dialogFont = font();
    dialogFont.setPixelSize(DialogFontPixels);
    setFont(dialogFont);
}

void SearchDialog::buildCommon(const QString& labelCaption, const QRect& findText,
                               const QRect& options, int checkBoxWidth, const QRect& scope,
                               const QString& directionCaption, const QString& downCaption,
                               const QRect& direction, const QRect& origin)
{
    Label1 = new QLabel(labelCaption, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->move(8, 16);
    Label1->adjustSize();
    FindText = addHistoryBox("FindText", findText);

    Options = new QGroupBox(QStringLiteral(" Opcje "), this);
    Options->setObjectName(QStringLiteral("Options"));
    Options->setGeometry(options);
    CaseSensitive = new QCheckBox(QStringLiteral("Uwzględnij wielkość liter"), Options);
    CaseSensitive->setObjectName(QStringLiteral("CaseSensitive"));
    CaseSensitive->setGeometry(8, 18, 177, 17);
    Wholewords = new QCheckBox(QStringLiteral("Tylko całe wyrazy"), Options);
    Wholewords->setObjectName(QStringLiteral("Wholewords"));
    Wholewords->setGeometry(8, 39, checkBoxWidth, 17);

    Scope = addRadioGroup("Scope", QStringLiteral(" Zakres "), QStringLiteral("Globalny"),
                          QStringLiteral("Zaznaczony tekst"), scope);
    Direction = addRadioGroup("Direction", directionCaption, downCaption,
                              QStringLiteral("W górę tekstu"), direction);
    Origin = addRadioGroup("Origin", QStringLiteral(" Zakres "), QStringLiteral("Od kursora"),
                           QStringLiteral("W całym tekście"), origin);
}

QComboBox* SearchDialog::addHistoryBox(const char* name, const QRect& place)
{
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    // The history is kept by the dialog's own rule, not by the box.
    box->setInsertPolicy(QComboBox::NoInsert);
    QFont boxFont = box->font();
    boxFont.setPixelSize(TextBoxFontPixels);
    box->setFont(boxFont);
    box->setGeometry(place.x(), place.y(), place.width(), qMax(place.height(), 23));
    box->installEventFilter(this);
    box->lineEdit()->installEventFilter(this);
    return box;
}

QGroupBox* SearchDialog::addRadioGroup(const char* name, const QString& caption,
                                       const QString& first, const QString& second,
                                       const QRect& place)
{
    auto* group = new QGroupBox(caption, this);
    group->setObjectName(QString::fromLatin1(name));
    group->setGeometry(place);
    int top = 18;
    for (const QString& item : {first, second}) {
        auto* button = new QRadioButton(item, group);
        button->setObjectName(
            QStringLiteral("%1%2").arg(QString::fromLatin1(name)).arg(int(top > 18)));
        button->setGeometry(8, top, place.width() - 16, 17);
        top += 21;
    }
    group->findChildren<QRadioButton*>().constFirst()->setChecked(true);
    return group;
}

QPushButton* SearchDialog::addButton(const char* name, const QString& caption, const QRect& place,
                                     int result)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    // No default button: Enter belongs to the text boxes and to the button that has the focus.
    button->setAutoDefault(false);
    if (result == ResultCancel)
        connect(button, &QPushButton::clicked, this, [this] { done(ResultCancel); });
    else
        connect(button, &QPushButton::clicked, this, [this, result] { confirm(result); });
    return button;
}

void SearchDialog::fitCaptions()
{
    // The left column's groups and the right column's groups each grow to the widest caption
    // they hold; the text boxes and the dialog grow with them.
    const auto growthOf = [](std::initializer_list<QGroupBox*> groups) {
        int growth = 0;
        for (QGroupBox* group : groups) {
            int needed = group->fontMetrics().horizontalAdvance(group->title()) + 3 * Margin;
            for (QWidget* child : group->findChildren<QWidget*>())
                if (!child->isHidden())
                    needed = qMax(needed, neededRight(child) + Margin);
            growth = qMax(growth, needed - group->width());
        }
        return growth;
    };
    const int left = growthOf({Options, Scope});
    const int right = growthOf({Direction, Origin});
    for (QGroupBox* group : {Options, Scope, Direction, Origin}) {
        const bool rightColumn = group == Direction || group == Origin;
        group->setGeometry(group->x() + (rightColumn ? left : 0), group->y(),
                           group->width() + (rightColumn ? right : left), group->height());
        for (QWidget* child : group->findChildren<QWidget*>())
            child->resize(qMax(child->width(), child->sizeHint().width()), child->height());
    }
    // A label wider than its place pushes the text boxes to the right.
    int labelRight = 0;
    for (const QLabel* label : findChildren<QLabel*>())
        labelRight = qMax(labelRight, label->x() + label->width() + Margin / 2);
    for (QComboBox* box : findChildren<QComboBox*>()) {
        const int shift = qMax(0, labelRight - box->x());
        box->setGeometry(box->x() + shift, box->y(), box->width() - shift + left + right,
                         box->height());
    }
    for (QPushButton* button : findChildren<QPushButton*>()) {
        const int width = qMax(button->width(), button->sizeHint().width());
        button->setGeometry(button->x() + (left + right) / 2, button->y(), width, button->height());
    }
    setFixedSize(width() + left + right, height());
}

void SearchDialog::addRegexBox()
{
    constexpr int Room = 24;
    const int top = qMax(Scope->geometry().bottom(), Origin->geometry().bottom()) + 7;
    RegularExpression = new QCheckBox(QStringLiteral("Wyrażenie regularne"), this);
    RegularExpression->setObjectName(QStringLiteral("RegularExpression"));
    RegularExpression->setGeometry(Scope->x() + 8, top, 177, 17);
    RegularExpression->resize(qMax(177, RegularExpression->sizeHint().width()), 17);
    for (QPushButton* button : findChildren<QPushButton*>())
        button->move(button->x(), button->y() + Room);
    setFixedSize(width(), height() + Room);
}

void SearchDialog::setTabOrderOf(std::initializer_list<QWidget*> widgets)
{
    // A radio group takes its place in the order with its buttons.
    QList<QWidget*> order;
    for (QWidget* widget : widgets) {
        if (auto* group = qobject_cast<QGroupBox*>(widget))
            for (QRadioButton* button : group->findChildren<QRadioButton*>())
                order << button;
        else
            order << widget;
    }
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void SearchDialog::setSearchText(const QString& text)
{
    FindText->setEditText(text);
    FindText->lineEdit()->selectAll();
}

QString SearchDialog::searchText() const
{
    return FindText->currentText();
}

bool SearchDialog::secondChecked(const QGroupBox* group)
{
    return group->findChildren<QRadioButton*>().constLast()->isChecked();
}

SearchOptions SearchDialog::options() const
{
    SearchOptions options;
    options.setFlag(SearchOption::MatchCase, CaseSensitive->isChecked());
    options.setFlag(SearchOption::WholeWord, Wholewords->isChecked());
    options.setFlag(SearchOption::Backwards, secondChecked(Direction));
    options.setFlag(SearchOption::EntireScope, secondChecked(Origin));
    options.setFlag(SearchOption::SelectedOnly, secondChecked(Scope));
    options.setFlag(SearchOption::RegularExpression,
                    RegularExpression && RegularExpression->isChecked());
    return options;
}

void SearchDialog::addToHistory(QComboBox* box)
{
    const QString text = box->currentText();
    QStringList history;
    for (int i = 0; i < box->count(); ++i)
        history << box->itemText(i);
    ::addToHistory(history, text);
    box->clear();
    box->addItems(history);
    box->setEditText(text);
}

void SearchDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FindText->lineEdit()->selectAll();
    FindText->setFocus(Qt::OtherFocusReason);
}

void SearchDialog::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        break;
    case Qt::Key_Escape:
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            confirm(ResultOk);
            return true;
        }
        if (key == Qt::Key_Escape) {
            done(ResultCancel);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
