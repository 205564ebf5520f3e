#pragma once

#include "desktop/Desktop.h"

#include <QStringList>

// Answers every question of the program without a person: No, nothing chosen. Errors and
// messages are kept in `said`, errors printed too so that a benchmark run shows them.
class SilentDesktop final : public Desktop {
public:
    QStringList said;
    Answer askYesNoCancel(QWidget*, const QString&) override { return Answer::No; }
    Answer askChoice(QWidget*, const QString&, const QString&, const QString&) override
    {
        return Answer::No;
    }
    void showError(QWidget*, const QString& text) override
    {
        said << text;
        qWarning("error: %s", qPrintable(text));
    }
    void showMessage(QWidget*, const QString& text) override { said << text; }
    std::optional<FileChoice> chooseFileToOpen(QWidget*, const FileDialogRequest&) override
    {
        return {};
    }
    std::optional<FileChoice> chooseFileToSave(QWidget*, const FileDialogRequest&) override
    {
        return {};
    }
    std::optional<QString> chooseFolder(QWidget*, const QString&, const QString&) override
    {
        return {};
    }
    bool openWithAssociatedProgram(const QString&) override { return true; }
};
