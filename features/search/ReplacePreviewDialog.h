#pragma once

#include "files/FindInFiles.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

// The preview of "Zamień w plikach": each file to change with its encoding, how many matches,
// the first changed lines (before and after), and a check box to leave it out; the files whose
// encoding cannot hold the replacement are marked so.
class ReplacePreviewDialog : public QDialog {
    Q_OBJECT
public:
    // `plans` are those with matches; `openFiles` tells which are open in a page.
    ReplacePreviewDialog(const QList<FileReplacement>& plans, const QString& replacement,
                         const std::function<bool(const QString&)>& isOpen, QWidget* parent);

    // Indexes of the plans still ticked.
    QList<int> chosen() const;

private:
    QLabel* Label1;
    QTreeWidget* Files;
    QPushButton* Button1;
    QPushButton* Button2;
};
