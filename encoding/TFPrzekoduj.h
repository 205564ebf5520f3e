#pragma once

#include <QDialog>

class DocumentPage;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

// What an encoding change acts on: the window's active document, the encoding it is written in,
// and its file.
class EncodingChangeHost {
public:
    virtual ~EncodingChangeHost() = default;
    virtual DocumentPage* activePage() const = 0;
    // The index the next save writes in: 0 UTF-8, 1 ISO-8859-2, 2 CP-1250, -1 none.
    virtual void setSelectedEncodingIndex(int index) = 0;
    // Sets that index back from the active page's encoding name.
    virtual void followActivePageEncoding() = 0;
    // The page's encoding name, and status panel 2 when it is the active page.
    virtual void setPageEncoding(DocumentPage* page, const QString& name) = 0;
    // Writes the page's text to its file in the selected encoding, asking first about
    // characters the encoding cannot hold; false when the user cancelled there. Throws
    // CommandError when the file cannot be written.
    virtual bool writeInSelectedEncoding(DocumentPage* page) = 0;
    virtual void showError(const QString& text) = 0;
};

// "Zmiana kodowania": converts the active document's file to another encoding, with its charset
// declaration rewritten. Created once and reused; modeless.
class TFPrzekoduj : public QDialog {
    Q_OBJECT
public:
    explicit TFPrzekoduj(EncodingChangeHost& host, QWidget* parent = nullptr);

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
    bool ApplyEncodingChange(int target);

    EncodingChangeHost& m_host;
    QLabel* StaticText1;
    QComboBox* ComboBox1;
    QLabel* StaticText2;
    QComboBox* ComboBox2;
    QCheckBox* CheckZmiane_Charsetu;
    QPushButton* btnOK;
    QPushButton* btnAnuluj;
};
