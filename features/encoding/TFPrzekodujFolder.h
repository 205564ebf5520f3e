#pragma once

#include "files/SiteConversion.h"

#include <QDialog>
#include <QPointer>

#include <functional>

class Desktop;
class DocumentList;
class SiteConversionJob;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// What the table says will happen, or happened, to a file.
QString conversionAction(const FileConversion& conversion, bool done);

// "Zmiana kodowania folderu": converts every page under a folder to one encoding. The files
// are checked first and listed; only then are they converted, several at a time away from the
// window, with a progress bar and a button that stops before the next file. Files open in the
// editor are left alone.
class TFPrzekodujFolder : public QDialog {
    Q_OBJECT
public:
    // The files of `documents` are left alone.
    TFPrzekodujFolder(Desktop& desktop, const DocumentList& documents, QWidget* parent);
    ~TFPrzekodujFolder() override;

    // Shows the dialog, or brings it to the front when it is open.
    void showDialog();

public slots:
    void reject() override;

private slots:
    void btnFolderClick();
    void btnSprawdzClick();
    void btnZmienClick();
    void btnAnulujClick();

private:
    SiteConversionOptions options() const;
    void fillRow(int row, const FileConversion& conversion, bool done);
    void setRunning(bool running);
    // Runs the entries through a job, each result shown as it comes; `finish` gets the number
    // of files done and how many were to be changed (or were).
    void run(bool write, const std::function<void(qsizetype done, int changing)>& finish);

    Desktop& m_desktop;
    const DocumentList& m_documents;
    QList<SiteEntry> m_entries;
    QPointer<SiteConversionJob> m_job;
    QLineEdit* EditFolder;
    QPushButton* btnFolder;
    QComboBox* ComboKodowanie;
    QCheckBox* CheckOdwolania;
    QPushButton* btnSprawdz;
    QTableWidget* TabelaPlikow;
    QProgressBar* PasekPostepu;
    QLabel* LabelPodsumowanie;
    QPushButton* btnZmien;
    QPushButton* btnAnuluj;
};
