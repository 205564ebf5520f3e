#pragma once

#include "desktop/Desktop.h"

#include <QQueue>

// Answers the program's questions from queues filled by a test, and records what was asked.
// An empty queue answers Cancel (questions) or "cancelled" (file dialogs).
class ScriptedDesktop final : public Desktop {
public:
    QQueue<Answer> answers;
    QQueue<std::optional<QString>> openChoices;
    QQueue<std::optional<QString>> saveChoices;
    QQueue<std::optional<QString>> folderChoices;

    QStringList questions;
    QStringList errors;
    QStringList messages;
    // The caption of each message box and question, in the order they were shown.
    QStringList captions;
    QList<FileDialogRequest> openRequests;
    QList<FileDialogRequest> saveRequests;
    QStringList openedWithProgram;

    Answer askYesNoCancel(QWidget* parent, const QString& text) override;
    // Recorded with the questions, answered from the same queue.
    Answer askChoice(QWidget* parent, const QString& text, const QString& first,
                     const QString& second) override;
    void showError(QWidget* parent, const QString& text) override;
    void showMessage(QWidget* parent, const QString& text) override;
    std::optional<FileChoice> chooseFileToOpen(QWidget* parent,
                                               const FileDialogRequest& request) override;
    std::optional<FileChoice> chooseFileToSave(QWidget* parent,
                                               const FileDialogRequest& request) override;
    // Recorded with the file dialogs' requests, as the title and the starting folder.
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& start) override;
    QStringList folderRequests;
    bool openWithAssociatedProgram(const QString& path) override;
};
