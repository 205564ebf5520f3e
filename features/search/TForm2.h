#pragma once

#include "search/SearchDialog.h"

// The find dialog "Szukanie frazy": the search text, its history of ten, and the options.
class TForm2 : public SearchDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

private:
    void confirm(int result) override;
};
