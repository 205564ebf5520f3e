#include "desktop/Desktop.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

std::optional<FileChoice> runFileDialog(QWidget* parent, const FileDialogRequest& request,
                                        QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent);
    dialog.setWindowTitle(mode == QFileDialog::AcceptOpen ? QStringLiteral("Otwórz")
                                                          : QStringLiteral("Zapisz jako"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(request.filters);
    dialog.selectNameFilter(request.selectedFilter.isEmpty() ? request.filters.value(0)
                                                             : request.selectedFilter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return FileChoice{dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}

// The program's messages break lines with a lone CR, which a message box would not show.
QString shownText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

Answer SystemDesktop::askYesNoCancel(QWidget* parent, const QString& text)
{
    const auto button = QMessageBox::question(
        parent, applicationTitle(), shownText(text),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    return button == QMessageBox::No ? Answer::No : Answer::Cancel;
}

Answer SystemDesktop::askChoice(QWidget* parent, const QString& text, const QString& first,
                                const QString& second)
{
    QMessageBox box(QMessageBox::Warning, applicationTitle(), shownText(text),
                    QMessageBox::NoButton, parent);
    QPushButton* firstButton = box.addButton(first, QMessageBox::AcceptRole);
    QPushButton* secondButton = box.addButton(second, QMessageBox::DestructiveRole);
    QPushButton* cancelButton = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(firstButton);
    box.setEscapeButton(cancelButton);
    box.exec();
    if (box.clickedButton() == firstButton)
        return Answer::Yes;
    return box.clickedButton() == secondButton ? Answer::No : Answer::Cancel;
}

void SystemDesktop::showError(QWidget* parent, const QString& text)
{
    QMessageBox::critical(parent, applicationTitle(), shownText(text));
}

void SystemDesktop::showMessage(QWidget* parent, const QString& text)
{
    QMessageBox::information(parent, applicationTitle(), shownText(text));
}

std::optional<FileChoice> SystemDesktop::chooseFileToOpen(QWidget* parent,
                                                          const FileDialogRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<FileChoice> SystemDesktop::chooseFileToSave(QWidget* parent,
                                                          const FileDialogRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> SystemDesktop::chooseFolder(QWidget* parent, const QString& title,
                                                   const QString& start)
{
    const QString folder = QFileDialog::getExistingDirectory(parent, title, start);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

bool SystemDesktop::openWithAssociatedProgram(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}
