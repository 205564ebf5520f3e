#pragma once

#include "search/SearchDialog.h"

// The replace dialog "Zamiana tekstu": search and replacement texts with a history of ten
// each, the options, and "replace all" beside OK.
class TForm3 : public SearchDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

    QString replaceText() const;
    // The dialog's options, with prompt when its hidden box is ticked (it always is).
    SearchOptions options() const override;

private:
    void confirm(int result) override;

    QLabel* Label2 = nullptr;
    QComboBox* ReplaceText = nullptr;
    QCheckBox* Prompt = nullptr;
    QPushButton* ReplaceAll = nullptr;
};
