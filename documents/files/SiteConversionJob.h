#pragma once

#include "files/SiteConversion.h"

#include <QObject>

#include <atomic>
#include <thread>

// A site conversion (or, without writing, its check) run away from the window's thread by the
// same engine as the command line's, several files at a time. Each file's result is reported in
// order, then the end; cancel() lets the files begun finish and begins no other.
class SiteConversionJob : public QObject {
    Q_OBJECT
public:
    SiteConversionJob(QList<SiteEntry> entries, SiteConversionOptions options, bool write,
                      QObject* parent = nullptr);
    // Cancels and waits for the files begun.
    ~SiteConversionJob() override;

    void start();
    void cancel() { m_cancelled = true; }

signals:
    void fileDone(qsizetype index, const FileConversion& result);
    // `done` files were handed over; fewer than the entries when the job was cancelled.
    void finished(qsizetype done);

private:
    QList<SiteEntry> m_entries;
    SiteConversionOptions m_options;
    bool m_write;
    std::atomic<bool> m_cancelled = false;
    std::thread m_worker;
};
