#include "authoring/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

UpDown::UpDown(QLineEdit* edit, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), m_edit(edit), m_up(new QToolButton(this)), m_down(new QToolButton(this)),
      m_minimum(minimum), m_maximum(maximum), m_position(minimum)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {m_up, m_down}) {
        button->setArrowType(button == m_up ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    connect(m_up, &QToolButton::clicked, this, [this] { step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { step(-1); });
    // Connected before any handler of the window that reads the position on the same change.
    connect(m_edit, &QLineEdit::textChanged, this, &UpDown::followEdit);
    m_edit->installEventFilter(this);
    followEdit();
}

void UpDown::setPosition(int value)
{
    m_position = qBound(m_minimum, value, m_maximum);
    const QString text = QString::number(m_position);
    if (m_edit && m_edit->text() != text)
        m_edit->setText(text);
}

void UpDown::followEdit()
{
    bool ok = false;
    const qlonglong typed = m_edit->text().toLongLong(&ok);
    if (ok)
        m_position = int(qBound(qlonglong(m_minimum), typed, qlonglong(m_maximum)));
}

// The arrow keys step the number while the edit has the focus.
bool UpDown::eventFilter(QObject* watched, QEvent* event)
{
    // The type first: the edit's own events reach here while it is being destroyed, when it is
    // no longer a QLineEdit to compare with.
    if (event->type() == QEvent::KeyPress && watched == m_edit) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
