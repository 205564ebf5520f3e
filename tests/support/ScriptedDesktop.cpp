#include "support/ScriptedDesktop.h"

namespace {

std::optional<FileChoice> nextChoice(QQueue<std::optional<QString>>& queue,
                                     const FileDialogRequest& request)
{
    if (queue.isEmpty())
        return std::nullopt;
    const std::optional<QString> path = queue.dequeue();
    if (!path)
        return std::nullopt;
    return FileChoice{*path, request.selectedFilter.isEmpty() ? request.filters.value(0)
                                                              : request.selectedFilter};
}

} // namespace

Answer ScriptedDesktop::askYesNoCancel(QWidget*, const QString& text)
{
    questions << text;
    captions << applicationTitle();
    return answers.isEmpty() ? Answer::Cancel : answers.dequeue();
}

Answer ScriptedDesktop::askChoice(QWidget* parent, const QString& text, const QString&,
                                  const QString&)
{
    return askYesNoCancel(parent, text);
}

void ScriptedDesktop::showError(QWidget*, const QString& text)
{
    errors << text;
    captions << applicationTitle();
}

void ScriptedDesktop::showMessage(QWidget*, const QString& text)
{
    messages << text;
    captions << applicationTitle();
}

std::optional<FileChoice> ScriptedDesktop::chooseFileToOpen(QWidget*,
                                                            const FileDialogRequest& request)
{
    openRequests << request;
    return nextChoice(openChoices, request);
}

std::optional<FileChoice> ScriptedDesktop::chooseFileToSave(QWidget*,
                                                            const FileDialogRequest& request)
{
    saveRequests << request;
    return nextChoice(saveChoices, request);
}

bool ScriptedDesktop::openWithAssociatedProgram(const QString& path)
{
    openedWithProgram << path;
    return true;
}

std::optional<QString> ScriptedDesktop::chooseFolder(QWidget*, const QString& title,
                                                     const QString& start)
{
    folderRequests << title + QStringLiteral(": ") + start;
    return folderChoices.isEmpty() ? std::nullopt : folderChoices.dequeue();
}
