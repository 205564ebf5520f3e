#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of arrow buttons joined to a one-line edit: they step the number in the edit within
// a range, and the position follows whatever number is typed there (clamped to the range).
// Text that is no number leaves the position where it was; the edit may hold any text.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(QLineEdit* edit, int minimum, int maximum, QWidget* parent = nullptr);

    int position() const { return m_position; }
    // Moves to `value` (clamped) and writes the number into the edit.
    void setPosition(int value);
    void step(int delta) { setPosition(m_position + delta); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followEdit();

    QPointer<QLineEdit> m_edit;
    QToolButton* m_up;
    QToolButton* m_down;
    int m_minimum;
    int m_maximum;
    int m_position;
};
