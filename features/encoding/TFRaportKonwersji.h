#pragma once

#include <QDialog>

class QLabel;
class QTextBrowser;

// The report of a folder's conversion, shown at its end: the same HTML page that is saved
// beside the run's backup, and where it is saved.
class TFRaportKonwersji : public QDialog {
    Q_OBJECT
public:
    explicit TFRaportKonwersji(QWidget* parent = nullptr);

    // Shows the report (HTML in UTF-8) and the path it was saved at (empty: not saved).
    void showReport(const QByteArray& html, const QString& savedAt);

private:
    QTextBrowser* PodgladRaportu;
    QLabel* LabelZapis;
};
