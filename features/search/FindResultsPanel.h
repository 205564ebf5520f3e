#pragma once

#include "files/FindInFiles.h"

#include <QWidget>

#include <atomic>
#include <functional>
#include <thread>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// Counts of a search in files, for its summary line.
struct FindSummary {
    qsizetype matches = 0;
    qsizetype filesWithMatches = 0;
    qsizetype filesSearched = 0;
    qsizetype skipped = 0;
    qsizetype failed = 0;
};

// "Znaleziono 12 wystąpień w 3 plikach; przeszukano 40 plików, pominięto 2, nie przeczytano 1."
QString describeFindSummary(const FindSummary& summary, bool stopped);

// The results of a search in files, docked under the editor: one row per file with its count,
// under it one row per match (line:column and the line with the match marked), the files passed
// by or not read with the reason, and a summary line. The search runs on a worker thread with
// a progress bar and a button that stops it; results appear as they come. Double click or Enter
// on a match asks for it to be shown.
class FindResultsPanel : public QWidget {
    Q_OBJECT
public:
    explicit FindResultsPanel(QWidget* parent = nullptr);
    // Stops the worker and waits for the files it has begun.
    ~FindResultsPanel() override;

    void startSearch(const QString& folder, const QString& patterns, const FindQuery& query);
    // Plans a replacement of every match on the worker; `planned` gets the plans once all are
    // made (not when stopped).
    void startReplacePlan(const QString& folder, const QString& patterns, const FindQuery& query,
                          const QString& replacement);
    bool isRunning() const { return m_running; }
    void stop();
    // Waits for the worker to finish (for tests and for closing).
    void waitForWorker();

    // Writes the planned files on the worker (applyFileReplacements()), then shows the outcome
    // and hands over what was written, for undoing it.
    void startWriting(const QString& title, const QList<FileReplacement>& plans,
                      const QString& backupFolder, const QStringList& changedInPages);
    // Puts back the files of a run on the worker, then shows the outcome.
    void startUndo(const ReplacementRun& run);

    // Shows what a replacement run did: one row per file, and "Cofnij zamianę" when it can be
    // undone.
    void showOutcome(const QString& title, const QList<FileWriteOutcome>& outcomes,
                     const QStringList& changedInPages, bool undoable);
    void setUndoAvailable(bool available);

    QString summaryText() const;
    QTreeWidget* tree() const { return Results; }

signals:
    void openRequested(const QString& path, qsizetype line, qsizetype column, qsizetype length);
    void planned(const QList<FileReplacement>& plans);
    void undoRequested();
    void written(const ReplacementRun& run);
    void runFinished();

private:
    void run(const QString& title, const std::function<void()>& work);
    void addResult(const FileSearchResult& result);
    void addPlan(const FileReplacement& plan);
    void setProgress(qsizetype done, qsizetype total);
    void finish();
    void activate(QTreeWidgetItem* item);
    QTreeWidgetItem* fileItem(const QString& path, const QString& note);

    QLabel* Summary;
    QProgressBar* Progress;
    QPushButton* Stop;
    QPushButton* UndoReplace;
    QTreeWidget* Results;

    std::thread m_worker;
    std::atomic<bool> m_stop = false;
    bool m_running = false;
    enum class Work { Searching, Planning, Writing };
    Work m_work = Work::Searching;
    FindSummary m_summary;
    QList<FileReplacement> m_plans;
};
