#include "search/FindResultsPanel.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Role {
    PathRole = Qt::UserRole,
    LineRole,
    ColumnRole,
    LengthRole,
    MarkStartRole,
    MarkLengthRole
};

// Draws a line of text with the part a match covers marked.
class MarkedMatchDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const QVariant markStart = index.data(MarkStartRole);
        if (!markStart.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QString text = item.text;
        item.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
        const QRect area =
            style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(3, 0, -3, 0);
        const qsizetype start = markStart.toLongLong();
        const qsizetype length = index.data(MarkLengthRole).toLongLong();
        const QString parts[] = {text.left(start), text.mid(start, length),
                                 text.mid(start + length)};
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        QFont bold = item.font;
        bold.setBold(true);
        int x = area.x();
        for (int i = 0; i < 3 && x < area.right(); ++i) {
            painter->setFont(i == 1 ? bold : item.font);
            const QFontMetrics metrics(painter->font());
            const QString shown = metrics.elidedText(parts[i], Qt::ElideRight, area.right() - x);
            const int width = metrics.horizontalAdvance(shown);
            const QRect place(x, area.y(), width, area.height());
            if (i == 1) {
                painter->fillRect(place.adjusted(-1, 1, 1, -1), QColor(255, 221, 87));
                painter->setPen(Qt::black);
            } else {
                painter->setPen(
                    option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
            }
            painter->drawText(place, Qt::AlignVCenter | Qt::TextSingleLine, shown);
            x += width;
        }
        painter->restore();
    }
};

qsizetype charactersIn(QStringView text)
{
    qsizetype count = 0;
    for (const QChar c : text)
        if (!c.isLowSurrogate())
            ++count;
    return count;
}

} // namespace

QString describeFindSummary(const FindSummary& summary, bool stopped)
{
    QString text = QStringLiteral("Znaleziono %1 wystąpień w %2 plikach; przeszukano %3 plików")
                       .arg(summary.matches)
                       .arg(summary.filesWithMatches)
                       .arg(summary.filesSearched);
    if (summary.skipped)
        text += QStringLiteral(", pominięto %1").arg(summary.skipped);
    if (summary.failed)
        text += QStringLiteral(", nie przeczytano %1").arg(summary.failed);
    return text + (stopped ? QStringLiteral(" (zatrzymano).") : QStringLiteral("."));
}

FindResultsPanel::FindResultsPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FindResultsPanel"));
    Summary = new QLabel(this);
    Summary->setObjectName(QStringLiteral("Summary"));
    Summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setMaximumWidth(200);
    Progress->hide();
    Stop = new QPushButton(QStringLiteral("&Zatrzymaj"), this);
    Stop->setObjectName(QStringLiteral("Stop"));
    Stop->hide();
    UndoReplace = new QPushButton(QStringLiteral("&Cofnij zamianę"), this);
    UndoReplace->setObjectName(QStringLiteral("UndoReplace"));
    UndoReplace->hide();
    Results = new QTreeWidget(this);
    Results->setObjectName(QStringLiteral("Results"));
    Results->setColumnCount(2);
    Results->setHeaderLabels({QStringLiteral("Plik, miejsce"), QStringLiteral("Wiersz")});
    Results->setItemDelegateForColumn(1, new MarkedMatchDelegate(Results));
    Results->setUniformRowHeights(true);
    Results->setAlternatingRowColors(true);
    Results->header()->setStretchLastSection(true);
    Results->setColumnWidth(0, 260);
    Results->setAccessibleName(QStringLiteral("Wyniki szukania w plikach"));

    auto* top = new QHBoxLayout;
    top->addWidget(Summary, 1);
    top->addWidget(Progress);
    top->addWidget(Stop);
    top->addWidget(UndoReplace);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(top);
    layout->addWidget(Results, 1);

    connect(Stop, &QPushButton::clicked, this, &FindResultsPanel::stop);
    connect(UndoReplace, &QPushButton::clicked, this, &FindResultsPanel::undoRequested);
    connect(Results, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { activate(item); });
}

FindResultsPanel::~FindResultsPanel()
{
    m_stop = true;
    if (m_worker.joinable())
        m_worker.join();
}

void FindResultsPanel::stop()
{
    m_stop = true;
}

void FindResultsPanel::waitForWorker()
{
    while (m_running)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void FindResultsPanel::run(const QString& title, const std::function<void()>& work)
{
    stop();
    if (m_worker.joinable())
        m_worker.join();
    // Whatever the last run still had on its way is dropped.
    QApplication::removePostedEvents(this, QEvent::MetaCall);
    m_stop = false;
    m_running = true;
    m_summary = {};
    m_plans.clear();
    Results->clear();
    Summary->setText(title);
    Progress->setRange(0, 0);
    Progress->show();
    Stop->show();
    UndoReplace->hide();
    m_worker = std::thread([this, work] {
        work();
        QMetaObject::invokeMethod(
            this, [this] { finish(); }, Qt::QueuedConnection);
    });
}

void FindResultsPanel::startSearch(const QString& folder, const QString& patterns,
                                   const FindQuery& query)
{
    m_work = Work::Searching;
    run(QStringLiteral("Szukanie „%1” w %2...").arg(query.text, folder), [=, this] {
        const QList<SiteEntry> entries = collectFilesToSearch({folder}, patterns);
        const qsizetype total = entries.size();
        const FileSearchPattern pattern(query);
        searchFiles(
            entries, pattern,
            [&](qsizetype i, const FileSearchResult& result) {
                QMetaObject::invokeMethod(
                    this,
                    [this, result, i, total] {
                        addResult(result);
                        setProgress(i + 1, total);
                    },
                    Qt::QueuedConnection);
            },
            [this] { return m_stop.load(); });
    });
}

void FindResultsPanel::startReplacePlan(const QString& folder, const QString& patterns,
                                        const FindQuery& query, const QString& replacement)
{
    m_work = Work::Planning;
    run(QStringLiteral("Przygotowanie zamiany „%1” w %2...").arg(query.text, folder), [=, this] {
        const QList<SiteEntry> entries = collectFilesToSearch({folder}, patterns);
        const qsizetype total = entries.size();
        const FileSearchPattern pattern(query);
        planFileReplacements(
            entries, pattern, replacement, false,
            [&](qsizetype i, const FileReplacement& plan) {
                QMetaObject::invokeMethod(
                    this,
                    [this, plan, i, total] {
                        addPlan(plan);
                        setProgress(i + 1, total);
                    },
                    Qt::QueuedConnection);
            },
            [this] { return m_stop.load(); });
    });
}

void FindResultsPanel::setProgress(qsizetype done, qsizetype total)
{
    Progress->setRange(0, int(qMin<qsizetype>(total, INT_MAX)));
    Progress->setValue(int(qMin<qsizetype>(done, INT_MAX)));
}

QTreeWidgetItem* FindResultsPanel::fileItem(const QString& path, const QString& note)
{
    auto* item = new QTreeWidgetItem(Results, {path, note});
    item->setData(0, PathRole, path);
    item->setToolTip(0, path);
    QFont font = item->font(0);
    font.setBold(true);
    item->setFont(0, font);
    return item;
}

void FindResultsPanel::addResult(const FileSearchResult& result)
{
    if (result.status == FileSearchResult::Status::Skipped)
        ++m_summary.skipped;
    if (result.status == FileSearchResult::Status::Failed)
        ++m_summary.failed;
    if (result.status != FileSearchResult::Status::Searched) {
        QTreeWidgetItem* item = fileItem(result.path, result.reason);
        item->setForeground(1, palette().brush(QPalette::Disabled, QPalette::Text));
        return;
    }
    ++m_summary.filesSearched;
    if (!result.matches.isEmpty()) {
        ++m_summary.filesWithMatches;
        m_summary.matches += result.matches.size();
        QTreeWidgetItem* file = fileItem(
            result.path, QStringLiteral("%1 (%2)").arg(result.matches.size()).arg(result.encoding));
        for (const FileMatch& match : result.matches) {
            // Leading blanks are not shown; tabs take one place each.
            QString line = match.lineText;
            qsizetype blanks = 0;
            while (blanks < match.matchStart && blanks < line.size() && line[blanks].isSpace())
                ++blanks;
            line = line.mid(blanks).replace(QLatin1Char('\t'), QLatin1Char(' '));
            auto* item = new QTreeWidgetItem(
                file, {QStringLiteral("%1:%2").arg(match.line).arg(match.column), line});
            item->setData(0, PathRole, result.path);
            item->setData(0, LineRole, match.line);
            item->setData(0, ColumnRole, match.column);
            item->setData(
                0, LengthRole,
                charactersIn(QStringView(match.lineText).mid(match.matchStart, match.matchLength)));
            item->setData(1, MarkStartRole, match.matchStart - blanks);
            item->setData(1, MarkLengthRole, match.matchLength);
            item->setToolTip(1, match.lineText);
        }
        file->setExpanded(true);
    }
    Summary->setText(describeFindSummary(m_summary, false));
}

void FindResultsPanel::addPlan(const FileReplacement& plan)
{
    // The files with matches are listed by the preview; here only those not read.
    if (plan.status == FileSearchResult::Status::Searched || plan.count > 0) {
        ++m_summary.filesSearched;
        if (plan.count > 0) {
            ++m_summary.filesWithMatches;
            m_summary.matches += plan.count;
        }
        Summary->setText(describeFindSummary(m_summary, false));
    } else {
        FileSearchResult shown;
        shown.path = plan.path;
        shown.status = plan.status;
        shown.reason = plan.reason;
        addResult(shown);
    }
    m_plans << plan;
}

void FindResultsPanel::finish()
{
    if (m_worker.joinable())
        m_worker.join();
    const bool stopped = m_stop;
    m_running = false;
    Progress->hide();
    Stop->hide();
    if (m_work != Work::Writing)
        Summary->setText(describeFindSummary(m_summary, stopped));
    if (m_work == Work::Planning && !stopped)
        emit planned(m_plans);
    m_plans.clear();
    emit runFinished();
}

void FindResultsPanel::startWriting(const QString& title, const QList<FileReplacement>& plans,
                                    const QString& backupFolder, const QStringList& changedInPages)
{
    m_work = Work::Writing;
    run(QStringLiteral("Zapisywanie zmienionych plików..."), [=, this] {
        ReplacementRun done;
        QList<FileWriteOutcome> outcomes;
        try {
            outcomes = applyFileReplacements(plans, backupFolder, &done);
        } catch (const std::exception&) {
            outcomes = {{backupFolder, false, QStringLiteral("za mało pamięci")}};
        }
        QMetaObject::invokeMethod(
            this,
            [=, this] {
                showOutcome(title, outcomes, changedInPages, !done.files.isEmpty());
                emit written(done);
            },
            Qt::QueuedConnection);
    });
    Stop->hide();
}

void FindResultsPanel::startUndo(const ReplacementRun& undone)
{
    m_work = Work::Writing;
    run(QStringLiteral("Przywracanie plików sprzed zamiany..."), [=, this] {
        const QList<FileWriteOutcome> outcomes = undoFileReplacements(undone);
        QMetaObject::invokeMethod(
            this,
            [=, this] { showOutcome(QStringLiteral("Cofnięto zamianę"), outcomes, {}, false); },
            Qt::QueuedConnection);
    });
    Stop->hide();
}

void FindResultsPanel::showOutcome(const QString& title, const QList<FileWriteOutcome>& outcomes,
                                   const QStringList& changedInPages, bool undoable)
{
    Results->clear();
    int written = 0;
    for (const FileWriteOutcome& outcome : outcomes) {
        QTreeWidgetItem* item =
            fileItem(outcome.path, outcome.written ? QStringLiteral("zapisany") : outcome.reason);
        written += outcome.written;
        if (!outcome.written)
            item->setForeground(1, QColor(170, 0, 0));
    }
    for (const QString& path : changedInPages)
        fileItem(path, QStringLiteral("zmieniony w otwartej zakładce (do zapisania)"));
    Summary->setText(QStringLiteral("%1: zapisano %2 z %3 plików; zmieniono %4 w zakładkach.")
                         .arg(title)
                         .arg(written)
                         .arg(outcomes.size())
                         .arg(changedInPages.size()));
    setUndoAvailable(undoable);
}

void FindResultsPanel::setUndoAvailable(bool available)
{
    UndoReplace->setVisible(available);
}

QString FindResultsPanel::summaryText() const
{
    return Summary->text();
}

void FindResultsPanel::activate(QTreeWidgetItem* item)
{
    const QVariant line = item->data(0, LineRole);
    if (!line.isValid())
        return;
    emit openRequested(item->data(0, PathRole).toString(), line.toLongLong(),
                       item->data(0, ColumnRole).toLongLong(),
                       item->data(0, LengthRole).toLongLong());
}
