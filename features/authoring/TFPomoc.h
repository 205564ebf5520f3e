#pragma once

#include <QDialog>

class QKeyEvent;
class QPlainTextEdit;
class QPushButton;

// "Pomoc": the help text in a box the user may scroll (and scribble in; nothing is kept),
// closed by "Zamknij", the close box or Esc wherever the focus is.
class TFPomoc : public QDialog {
    Q_OBJECT
public:
    explicit TFPomoc(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void bitZamknijClick();

private:
    // Sees every key before the controls do; true when it used the key.
    bool FormKeyDown(QKeyEvent* event);

    QPlainTextEdit* Memo1;
    QPushButton* bitZamknij;
};
