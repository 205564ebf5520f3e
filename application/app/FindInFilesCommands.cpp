#include "app/FindInFilesCommands.h"

#include "app/TForm1.h"
#include "common/CommandError.h"
#include "common/Commands.h"
#include "desktop/CommandRegistry.h"
#include "document/DocumentPage.h"
#include "search/EditorSearch.h"
#include "search/FindInFilesDialog.h"
#include "search/FindResultsPanel.h"
#include "search/ReplacePreviewDialog.h"

#include <QBoxLayout>
#include <QFileInfo>
#include <QLabel>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>

namespace {
// How long the copies made before a replacement are kept.
constexpr int BackupDays = 30;
} // namespace

qsizetype positionOfPlace(QByteArrayView text, qsizetype line, qsizetype column)
{
    // The search counts no byte order mark; the editor shows it as a character of its own.
    qsizetype at = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    for (qsizetype l = 1; l < line; ++l) {
        const qsizetype newline = text.indexOf('\n', at);
        if (newline < 0)
            return text.size();
        at = newline + 1;
    }
    for (qsizetype c = 1; c < column && at < text.size() && text[at] != '\n'; ++c) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
            ++at;
    }
    return at;
}

FindInFilesCommands::FindInFilesCommands(TForm1* window, CommandRegistry& commands,
                                         Desktop& desktop)
    : QObject(window), m_window(window), m_commands(commands), m_desktop(desktop)
{
    setObjectName(QStringLiteral("FindInFilesCommands"));
    commands.add(QString::fromLatin1(Cmd::mnuFindInFilesClick), [this] { findInFiles(); });
    commands.add(QString::fromLatin1(Cmd::mnuReplaceInFilesClick), [this] { replaceInFiles(); });
    commands.add(QString::fromLatin1(Cmd::mnuFindResultsClick), [this] { showResults(); });
}

QString FindInFilesCommands::backupRoot()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

FindResultsPanel* FindInFilesCommands::panel()
{
    if (!m_dock) {
        // Under the page control, in a splitter with it, above the status panels.
        QWidget* central = m_window->centralWidget();
        auto* layout = qobject_cast<QBoxLayout*>(central->layout());
        QTabWidget* pages = central->findChild<QTabWidget*>(QString(), Qt::FindDirectChildrenOnly);
        auto* splitter = new QSplitter(Qt::Vertical, central);
        splitter->setObjectName(QStringLiteral("FindResultsSplitter"));
        splitter->setChildrenCollapsible(false);
        layout->insertWidget(layout->indexOf(pages), splitter, 1);
        splitter->addWidget(pages);

        m_dock = new QFrame(splitter);
        m_dock->setObjectName(QStringLiteral("FindResultsDock"));
        auto* title = new QLabel(QStringLiteral("Wyniki szukania w plikach"), m_dock);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        auto* close = new QToolButton(m_dock);
        close->setObjectName(QStringLiteral("CloseResults"));
        close->setIcon(m_dock->style()->standardIcon(QStyle::SP_TitleBarCloseButton));
        close->setAutoRaise(true);
        close->setToolTip(QStringLiteral("Zamknij wyniki"));
        close->setAccessibleName(QStringLiteral("Zamknij wyniki"));
        connect(close, &QToolButton::clicked, m_dock, &QWidget::hide);
        auto* header = new QHBoxLayout;
        header->addWidget(title, 1);
        header->addWidget(close);
        m_panel = new FindResultsPanel(m_dock);
        auto* box = new QVBoxLayout(m_dock);
        box->setContentsMargins(0, 2, 0, 0);
        box->setSpacing(0);
        box->addLayout(header);
        box->addWidget(m_panel, 1);
        splitter->addWidget(m_dock);
        splitter->setSizes({central->height() * 3 / 5, central->height() * 2 / 5});
        connect(m_panel, &FindResultsPanel::openRequested, this,
                [this](const QString& path, qsizetype line, qsizetype column, qsizetype length) {
                    m_commands.guarded([&] { openMatch(path, line, column, length); });
                });
        connect(m_panel, &FindResultsPanel::planned, this,
                [this](const QList<FileReplacement>& plans) {
                    m_commands.guarded([&] { replacePlanned(plans); });
                });
        connect(m_panel, &FindResultsPanel::written, this,
                [this](const ReplacementRun& run) { m_lastRun = run; });
        connect(m_panel, &FindResultsPanel::undoRequested, this,
                [this] { m_commands.guarded([&] { undo(); }); });
    }
    return m_panel;
}

void FindInFilesCommands::showResults()
{
    panel();
    m_dock->show();
}

QString FindInFilesCommands::suggestedFolder() const
{
    if (TSynMemo* editor = m_window->ActiveEditor(); editor && !editor->documentPath().isEmpty())
        return QFileInfo(editor->documentPath()).absolutePath();
    return {};
}

FindInFilesDialog* FindInFilesCommands::askFor(bool replacing)
{
    QPointer<FindInFilesDialog>& dialog = replacing ? m_replaceDialog : m_findDialog;
    if (!dialog)
        dialog = new FindInFilesDialog(m_desktop, replacing, m_window);
    dialog->suggestFolder(suggestedFolder());
    TSynMemo* editor = m_window->ActiveEditor();
    dialog->setSearchText(editor && editor->hasSelection() ? editor->selectedText() : QString());
    if (dialog->exec() != QDialog::Accepted)
        return nullptr;
    showResults();
    return dialog;
}

void FindInFilesCommands::findInFiles()
{
    if (FindInFilesDialog* dialog = askFor(false))
        m_panel->startSearch(dialog->folder(), dialog->patterns(), dialog->query());
}

void FindInFilesCommands::replaceInFiles()
{
    FindInFilesDialog* dialog = askFor(true);
    if (!dialog)
        return;
    m_replaceQuery = dialog->query();
    m_replacement = dialog->replacement();
    m_panel->startReplacePlan(dialog->folder(), dialog->patterns(), m_replaceQuery, m_replacement);
}

void FindInFilesCommands::openMatch(const QString& path, qsizetype line, qsizetype column,
                                    qsizetype length)
{
    m_window->OpenFileInPage(QFileInfo(path).fileName(), path);
    TSynMemo* editor = m_window->ActiveEditor();
    if (!editor)
        return;
    const QByteArrayView text = editor->textBytes();
    const qsizetype start = positionOfPlace(text, line, column);
    const qsizetype end = positionOfPlace(text, line, column + length);
    editor->selectPositions(int(start), int(end));
    editor->setFocus();
}

void FindInFilesCommands::replacePlanned(QList<FileReplacement> plans)
{
    plans.removeIf([](const FileReplacement& plan) { return plan.count == 0; });
    if (plans.isEmpty()) {
        m_desktop.showMessage(m_window, QStringLiteral("Takiego tekstu już nie znaleziono."));
        return;
    }
    const auto isOpen = [this](const QString& path) { return m_window->FindPageOfFile(path) >= 0; };
    ReplacePreviewDialog preview(plans, m_replacement, isOpen, m_window);
    if (preview.exec() != QDialog::Accepted)
        return;
    QList<FileReplacement> chosen;
    for (const int i : preview.chosen())
        chosen << plans[i];

    // The encoding change's question, for the files whose encoding cannot hold the replacement.
    QStringList lacking;
    for (const FileReplacement& plan : std::as_const(chosen))
        if (plan.unrepresentable > 0 && !isOpen(plan.path))
            lacking << QStringLiteral("%1 (%2): %3")
                           .arg(plan.path, plan.encoding)
                           .arg(plan.unrepresentable);
    if (!lacking.isEmpty()) {
        const Answer answer = m_desktop.askChoice(
            m_window,
            QStringLiteral(
                "Zamiana wstawi znaki, których kodowanie tych plików nie zapisze:\n%1\n\n"
                "Zapisać je jako odwołania HTML (&#8594;) czy pominąć te pliki?")
                .arg(lacking.join(QLatin1Char('\n'))),
            QStringLiteral("Odwołania HTML"), QStringLiteral("Pomiń te pliki"));
        if (answer == Answer::Cancel)
            return;
        const FileSearchPattern pattern(m_replaceQuery);
        for (FileReplacement& plan : chosen) {
            if (plan.unrepresentable == 0 || isOpen(plan.path))
                continue;
            if (answer != Answer::Yes) {
                plan = FileReplacement{};
                continue;
            }
            FileReplacement again =
                planFileReplacement({plan.path, {}, {}, plan.target}, pattern, m_replacement, true);
            // What is written is checked against the file as the preview saw it.
            again.stamp = plan.stamp;
            again.original = plan.original;
            plan = again;
        }
    }

    // Open files change in their pages, as one undo step each; the others on disk.
    SearchOptions options = SearchOption::Replace | SearchOption::ReplaceAll |
                            SearchOption::EntireScope | SearchOption::Prompt;
    options.setFlag(SearchOption::MatchCase, m_replaceQuery.matchCase);
    options.setFlag(SearchOption::WholeWord, m_replaceQuery.wholeWord);
    options.setFlag(SearchOption::RegularExpression, m_replaceQuery.regularExpression);
    QStringList changedInPages;
    QList<FileReplacement> onDisk;
    for (const FileReplacement& plan : std::as_const(chosen)) {
        if (plan.path.isEmpty())
            continue;
        const int page = m_window->FindPageOfFile(plan.path);
        if (page < 0) {
            onDisk << plan;
            continue;
        }
        TSynMemo* editor = m_window->page(page)->editor();
        if (searchAndReplace(*editor, m_replaceQuery.text, m_replacement, options) > 0)
            changedInPages << plan.path;
    }
    removeOldBackups(backupRoot(), BackupDays);
    m_lastRun = {};
    m_panel->startWriting(
        QStringLiteral("Zamiana „%1” na „%2”").arg(m_replaceQuery.text, m_replacement), onDisk,
        newBackupFolder(backupRoot()), changedInPages);
}

void FindInFilesCommands::undo()
{
    const ReplacementRun run = m_lastRun;
    m_lastRun = {};
    m_panel->startUndo(run);
}
