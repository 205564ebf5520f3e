#pragma once

#include "encoding/Encoding.h"

#include <QDialog>

class CommandRegistry;
class DocumentEncodings;
class DocumentSaver;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// "Zmiana kodowania": converts the active document's file to another encoding, with its charset
// declaration rewritten. Created once and reused; modeless.
class TFPrzekoduj : public QDialog {
    Q_OBJECT
public:
    // The change acts on the active page of `encodings`, writes through `saver`, and shows
    // errors as `commands` does.
    TFPrzekoduj(DocumentEncodings& encodings, DocumentSaver& saver, CommandRegistry& commands,
                QWidget* parent = nullptr);

    // Shows the dialog filled afresh when it was closed; when it is open, only brings it to the
    // front.
    void showForActiveDocument();
    // The target list's item index for the text it shows; -1 for text that matches no entry.
    int targetIndex() const;

public slots:
    void reject() override;

private slots:
    void FormShow();
    void ComboBox2Change();
    void btnOKClick();
    void btnAnulujClick();

private:
    // False when nothing was written (the user cancelled, or the file could not be written);
    // the document is then as it was before.
    bool ApplyEncodingChange(Encoding target);

    DocumentEncodings& m_encodings;
    DocumentSaver& m_saver;
    CommandRegistry& m_commands;
    QLabel* StaticText1;
    QComboBox* ComboBox1;
    QLabel* StaticText2;
    QComboBox* ComboBox2;
    QCheckBox* CheckZmiane_Charsetu;
    QPushButton* btnOK;
    QPushButton* btnAnuluj;
};
