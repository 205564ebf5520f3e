#include "files/SiteConversionJob.h"

SiteConversionJob::SiteConversionJob(QList<SiteEntry> entries, SiteConversionOptions options,
                                     bool write, QObject* parent)
    : QObject(parent), m_entries(std::move(entries)), m_options(std::move(options)), m_write(write)
{
}

SiteConversionJob::~SiteConversionJob()
{
    cancel();
    if (m_worker.joinable())
        m_worker.join();
}

void SiteConversionJob::start()
{
    m_worker = std::thread([this] {
        // The reports reach the window's thread as queued calls, dropped if the job is gone.
        const qsizetype done = convertSiteEntries(
            m_entries, m_options, m_write,
            [this](qsizetype index, const FileConversion& result) {
                QMetaObject::invokeMethod(
                    this, [this, index, result] { emit fileDone(index, result); },
                    Qt::QueuedConnection);
            },
            [this] { return m_cancelled.load(); });
        QMetaObject::invokeMethod(
            this, [this, done] { emit finished(done); }, Qt::QueuedConnection);
    });
}
