#pragma once

#include "search/SearchState.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

// What the find and replace dialogs share: the search box with its history, the two check
// boxes, the three radio groups, and the keys. Enter and Esc act only in the text boxes (Enter
// confirms, Esc cancels); elsewhere Enter presses a focused button and nothing else.
class SearchDialog : public QDialog {
    Q_OBJECT
public:
    // Puts `text` into the search box, all of it selected.
    void setSearchText(const QString& text);
    QString searchText() const;
    // Match case, whole word, backwards, entire scope and selected only, as ticked, and what a
    // dialog adds of its own.
    virtual SearchOptions options() const;

protected:
    explicit SearchDialog(QWidget* parent);
    // Builds the controls both dialogs have, placed as given (left, top, width, height).
    void buildCommon(const QString& labelCaption, const QRect& findText, const QRect& options,
                     int checkBoxWidth, const QRect& scope, const QString& directionCaption,
                     const QString& downCaption, const QRect& direction, const QRect& origin);
    QPushButton* addButton(const char* name, const QString& caption, const QRect& place,
                           int result);
    QComboBox* addHistoryBox(const char* name, const QRect& place);
    // The keyboard's order through the controls; a radio group stands for its buttons.
    void setTabOrderOf(std::initializer_list<QWidget*> widgets);
    // Widens what a caption does not fit in, moving the right-hand column along.
    void fitCaptions();
    // The check box "Wyrażenie regularne" below the option groups; the buttons move down to
    // make room for it.
    void addRegexBox();
    // Enter in a text box: update the histories and close with `result`.
    virtual void confirm(int result) = 0;
    static void addToHistory(QComboBox* box);

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    QLabel* Label1 = nullptr;
    QComboBox* FindText = nullptr;
    QGroupBox* Options = nullptr;
    QCheckBox* CaseSensitive = nullptr;
    QCheckBox* Wholewords = nullptr;
    QGroupBox* Scope = nullptr;
    QGroupBox* Direction = nullptr;
    QGroupBox* Origin = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QCheckBox* RegularExpression = nullptr;

private:
    QGroupBox* addRadioGroup(const char* name, const QString& caption, const QString& first,
                             const QString& second, const QRect& place);
    static bool secondChecked(const QGroupBox* group);
};
