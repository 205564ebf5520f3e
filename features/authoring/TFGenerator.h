#pragma once

#include "authoring/TableMarkup.h"

#include <QDialog>

#include <optional>

class Desktop;
class QComboBox;
class QLineEdit;
class QPushButton;
class UpDown;

// "Generator tabel HTML": the numbers and attributes of a table skeleton. OK builds the markup
// (or says why it cannot, and stays open); Cancel and the close box leave it unbuilt.
class TFGenerator : public QDialog {
    Q_OBJECT
public:
    explicit TFGenerator(Desktop& desktop, QWidget* parent = nullptr);

    // Shows a fresh dialog; the markup when the user confirmed it.
    static std::optional<QString> ask(Desktop& desktop, QWidget* parent);

    TableSettings settings() const;
    // The table built by OK, every line followed by CR LF.
    QString markup() const { return m_markup; }

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void Button1Click();
    void Button2Click();

private:
    Desktop& m_desktop;
    QString m_markup;

    QComboBox* ComboBoxEx1;
    QComboBox* ComboBoxEx2;
    QComboBox* Combo1;
    QComboBox* Combo3;
    QLineEdit* Edit2;
    QLineEdit* Edit1;
    UpDown* UpDown1;
    QComboBox* Combo2;
    QComboBox* Combo4;
    QComboBox* Combo5;
    QPushButton* Button1;
    QPushButton* Button2;
};
