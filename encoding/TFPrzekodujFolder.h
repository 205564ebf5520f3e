#pragma once

#include "encoding/SiteConversion.h"

#include <QDialog>

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
// are checked first and listed; only then are they converted, one by one, with a progress bar
// and a Cancel button that stops before the next file. Files open in the editor are left alone.
class TFPrzekodujFolder : public QDialog {
    Q_OBJECT
public:
    // The documents open in the editors of `window` are left alone.
    explicit TFPrzekodujFolder(QWidget* window);

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

    QList<SiteEntry> m_entries;
    bool m_running = false;
    bool m_cancelled = false;
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
