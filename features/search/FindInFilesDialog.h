#pragma once

#include "files/FindInFiles.h"

#include <QDialog>

class Desktop;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What "Szukaj w plikach..." and "Zamień w plikach..." ask for, or why it cannot be used: an
// empty text, a folder that is not one, a malformed expression (Polish; empty when all is well).
QString findInFilesProblem(const FindQuery& query, const QString& folder);

// "Szukaj w plikach" / "Zamień w plikach": the text (and the replacement), the folder with a
// button to choose it, the kinds of file as name patterns (the site conversion's by default),
// and the options: letter case, whole words, regular expression. The texts keep a history of
// ten, and every field keeps its value from one use to the next.
class FindInFilesDialog : public QDialog {
    Q_OBJECT
public:
    FindInFilesDialog(Desktop& desktop, bool replacing, QWidget* parent);

    // Puts the text into the search box, all of it selected; an empty one keeps the box's.
    void setSearchText(const QString& text);
    // The folder shown when the box is still empty.
    void suggestFolder(const QString& folder);

    FindQuery query() const;
    QString replacement() const;
    QString folder() const;
    QString patterns() const;

public slots:
    // Refuses, with the reason, what cannot be searched; else keeps the texts in the histories.
    void accept() override;

private:
    void btnFolderClick();

    Desktop& m_desktop;
    QComboBox* FindText;
    QComboBox* ReplaceText = nullptr;
    QLineEdit* Folder;
    QPushButton* btnFolder;
    QLineEdit* FileKinds;
    QCheckBox* CaseSensitive;
    QCheckBox* Wholewords;
    QCheckBox* RegularExpression;
    QPushButton* Button1;
    QPushButton* Button2;
};
