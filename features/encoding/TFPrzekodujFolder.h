#pragma once

#include "files/SiteConversion.h"

#include <QDateTime>
#include <QDialog>
#include <QPointer>

#include <functional>
#include <memory>

class Desktop;
class DocumentList;
class SiteBackup;
class SiteConversionJob;
class TFRaportKonwersji;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// What the table says will happen, or happened, to a file.
QString conversionAction(const FileConversion& conversion, bool done);

// Where the window keeps each run's backup and report: "kopie" in the user's data folder.
QString siteRunsFolder();
// A new folder name for a run begun at `started` under `runs`: its time, made unique.
QString newRunFolder(const QString& runs, const QDateTime& started);

// "Zmiana kodowania folderu": converts every page under a folder to one encoding. The files
// are checked first and listed; only then are they converted, several at a time away from the
// window, with a progress bar and a button that stops before the next file. Files open in the
// editor are left alone. Unless the user says otherwise, each file is copied first into a run
// folder in the user's data folder; the run's report is saved there and shown at the end, and
// "Przywróć" puts back the newest backup.
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
    void btnPrzywrocClick();

private:
    SiteConversionOptions options() const;
    void fillRow(int row, const FileConversion& conversion, bool done);
    void setRunning(bool running);
    // Runs the entries through a job, each result shown as it comes; `finish` gets the number
    // of files done and how many were to be changed (or were).
    void run(bool write, const std::function<void(qsizetype done, int changing)>& finish);
    // Saves the report of the run just ended in its folder and shows it.
    void showRunReport(qsizetype done);
    void updateRestore();

    Desktop& m_desktop;
    const DocumentList& m_documents;
    QList<SiteEntry> m_entries;
    QPointer<SiteConversionJob> m_job;
    // The run's results in the order of the entries, its folder, start and copies.
    QList<FileConversion> m_results;
    QString m_runFolder;
    QDateTime m_started;
    std::unique_ptr<SiteBackup> m_backup;
    TFRaportKonwersji* m_report = nullptr;
    QLineEdit* EditFolder;
    QPushButton* btnFolder;
    QComboBox* ComboKodowanie;
    QCheckBox* CheckOdwolania;
    QCheckBox* CheckKopia;
    QPushButton* btnPrzywroc;
    QPushButton* btnSprawdz;
    QTableWidget* TabelaPlikow;
    QProgressBar* PasekPostepu;
    QLabel* LabelPodsumowanie;
    QPushButton* btnZmien;
    QPushButton* btnAnuluj;
};
