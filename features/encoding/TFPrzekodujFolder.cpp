#include "encoding/TFPrzekodujFolder.h"

#include "common/CommandError.h"
#include "desktop/Desktop.h"
#include "document/DocumentList.h"
#include "encoding/Encoding.h"
#include "encoding/TFRaportKonwersji.h"
#include "files/FileAccess.h"
#include "files/SiteBackup.h"
#include "files/SiteConversionJob.h"
#include "files/SiteConversionReport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

using Outcome = FileConversion::Outcome;

QString conversionAction(const FileConversion& conversion, bool done)
{
    return describeOutcome(conversion, done, QStringLiteral("zostanie zmieniony"));
}

QString siteRunsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/kopie");
}

QString newRunFolder(const QString& runs, const QDateTime& started)
{
    const QString base =
        runs + QLatin1Char('/') + started.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString folder = base;
    for (int n = 2; QFileInfo::exists(folder); ++n)
        folder = base + QStringLiteral("-%1").arg(n);
    return folder;
}

TFPrzekodujFolder::TFPrzekodujFolder(Desktop& desktop, const DocumentList& documents,
                                     QWidget* parent)
    : QDialog(parent), m_desktop(desktop), m_documents(documents)
{
    setObjectName(QStringLiteral("FPrzekodujFolder"));
    setWindowTitle(QStringLiteral("Zmiana kodowania folderu"));
    auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    EditFolder = static_cast<QLineEdit*>(named(new QLineEdit(this), "EditFolder"));
    btnFolder = static_cast<QPushButton*>(
        named(new QPushButton(QStringLiteral("Wybierz..."), this), "btnFolder"));
    ComboKodowanie = static_cast<QComboBox*>(named(new QComboBox(this), "ComboKodowanie"));
    for (int index = EncodingUtf8; index <= EncodingCp1250; ++index)
        ComboKodowanie->addItem(Encoding::fromIndex(index)->name());
    CheckOdwolania = static_cast<QCheckBox*>(named(
        new QCheckBox(QStringLiteral("Znaki spoza kodowania zapisz jako odwołania HTML"), this),
        "CheckOdwolania"));
    CheckKopia = static_cast<QCheckBox*>(
        named(new QCheckBox(QStringLiteral("Przed zmianą skopiuj pliki (do przywrócenia)"), this),
              "CheckKopia"));
    CheckKopia->setChecked(true);
    btnPrzywroc = static_cast<QPushButton*>(
        named(new QPushButton(QStringLiteral("Przywróć"), this), "btnPrzywroc"));
    btnPrzywroc->setToolTip(QStringLiteral("Przywróć pliki sprzed ostatniej zmiany kodowania"));
    btnSprawdz = static_cast<QPushButton*>(
        named(new QPushButton(QStringLiteral("Sprawdź"), this), "btnSprawdz"));
    TabelaPlikow = static_cast<QTableWidget*>(named(new QTableWidget(0, 4, this), "TabelaPlikow"));
    TabelaPlikow->setHorizontalHeaderLabels({QStringLiteral("Plik"), QStringLiteral("Z"),
                                             QStringLiteral("Na"),
                                             QStringLiteral("Co się stanie")});
    TabelaPlikow->setEditTriggers(QAbstractItemView::NoEditTriggers);
    TabelaPlikow->setSelectionBehavior(QAbstractItemView::SelectRows);
    TabelaPlikow->horizontalHeader()->setStretchLastSection(true);
    TabelaPlikow->verticalHeader()->hide();
    PasekPostepu = static_cast<QProgressBar*>(named(new QProgressBar(this), "PasekPostepu"));
    LabelPodsumowanie = static_cast<QLabel*>(named(new QLabel(this), "LabelPodsumowanie"));
    btnZmien = static_cast<QPushButton*>(
        named(new QPushButton(QStringLiteral("Zmień kodowanie"), this), "btnZmien"));
    btnAnuluj = static_cast<QPushButton*>(
        named(new QPushButton(QStringLiteral("Anuluj"), this), "btnAnuluj"));

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("Folder:"), this), 0, 0);
    form->addWidget(EditFolder, 0, 1);
    form->addWidget(btnFolder, 0, 2);
    form->addWidget(new QLabel(QStringLiteral("Nowe kodowanie:"), this), 1, 0);
    form->addWidget(ComboKodowanie, 1, 1);
    form->addWidget(btnSprawdz, 1, 2);
    form->addWidget(CheckOdwolania, 2, 1);
    form->addWidget(CheckKopia, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LabelPodsumowanie, 1);
    buttons->addWidget(btnPrzywroc);
    buttons->addWidget(btnZmien);
    buttons->addWidget(btnAnuluj);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(TabelaPlikow, 1);
    layout->addWidget(PasekPostepu);
    layout->addLayout(buttons);
    resize(720, 480);

    btnSprawdz->setDefault(true);
    connect(btnFolder, &QPushButton::clicked, this, &TFPrzekodujFolder::btnFolderClick);
    connect(btnSprawdz, &QPushButton::clicked, this, &TFPrzekodujFolder::btnSprawdzClick);
    connect(btnZmien, &QPushButton::clicked, this, &TFPrzekodujFolder::btnZmienClick);
    connect(btnAnuluj, &QPushButton::clicked, this, &TFPrzekodujFolder::btnAnulujClick);
    connect(btnPrzywroc, &QPushButton::clicked, this, &TFPrzekodujFolder::btnPrzywrocClick);
    // A new folder or target needs a new check before anything is written.
    auto stale = [this] {
        m_entries.clear();
        btnZmien->setEnabled(false);
    };
    connect(EditFolder, &QLineEdit::textChanged, this, stale);
    connect(ComboKodowanie, &QComboBox::currentIndexChanged, this, stale);
    connect(CheckOdwolania, &QCheckBox::toggled, this, stale);
    setRunning(false);
}

TFPrzekodujFolder::~TFPrzekodujFolder()
{
    // The job's files still being written use the backup: they finish before it goes.
    delete m_job;
}

void TFPrzekodujFolder::showDialog()
{
    if (!isVisible()) {
        TabelaPlikow->setRowCount(0);
        PasekPostepu->setValue(0);
        LabelPodsumowanie->clear();
        m_entries.clear();
        setRunning(false);
    }
    show();
    raise();
    activateWindow();
    EditFolder->setFocus();
}

SiteConversionOptions TFPrzekodujFolder::options() const
{
    SiteConversionOptions chosen;
    chosen.target = Encoding::fromIndex(ComboKodowanie->currentIndex()).value_or(EncodingUtf8);
    chosen.characterReferences = CheckOdwolania->isChecked();
    for (const QString& path : m_documents.paths())
        if (!path.isEmpty())
            chosen.openFiles.insert(comparablePath(path));
    return chosen;
}

void TFPrzekodujFolder::fillRow(int row, const FileConversion& conversion, bool done)
{
    const QString folder = EditFolder->text();
    QString shown = QDir(folder).relativeFilePath(conversion.path);
    const QStringList cells = {shown, conversion.from,
                               conversion.from.isEmpty() ? QString() : conversion.to,
                               conversionAction(conversion, done)};
    for (int column = 0; column < cells.size(); ++column)
        TabelaPlikow->setItem(row, column, new QTableWidgetItem(cells[column]));
    // What the author should look at first: under the action, and whole in its tooltip.
    if (!conversion.warnings.isEmpty()) {
        QTableWidgetItem* action = TabelaPlikow->item(row, cells.size() - 1);
        action->setText(action->text() + QStringLiteral("; uwaga: ") +
                        conversion.warnings.join(QStringLiteral("; uwaga: ")));
        action->setToolTip(conversion.warnings.join(QLatin1Char('\n')));
    }
}

void TFPrzekodujFolder::setRunning(bool running)
{
    EditFolder->setEnabled(!running);
    btnFolder->setEnabled(!running);
    ComboKodowanie->setEnabled(!running);
    CheckOdwolania->setEnabled(!running);
    btnSprawdz->setEnabled(!running);
    CheckKopia->setEnabled(!running);
    btnZmien->setEnabled(!running && !m_entries.isEmpty());
    btnPrzywroc->setEnabled(!running && !newestRestorableBackup(siteRunsFolder()).isEmpty());
    btnAnuluj->setText(running ? QStringLiteral("Przerwij") : QStringLiteral("Anuluj"));
}

void TFPrzekodujFolder::btnFolderClick()
{
    if (const std::optional<QString> folder =
            m_desktop.chooseFolder(this, QStringLiteral("Wybierz folder"), EditFolder->text()))
        EditFolder->setText(*folder);
}

void TFPrzekodujFolder::run(bool write,
                            const std::function<void(qsizetype done, int changing)>& finish)
{
    SiteConversionOptions chosen = options();
    chosen.backup = write ? m_backup.get() : nullptr;
    auto* job = new SiteConversionJob(m_entries, chosen, write, this);
    m_job = job;
    m_results.clear();
    auto changing = std::make_shared<int>(0);
    connect(job, &SiteConversionJob::fileDone, this,
            [this, write, changing](qsizetype index, const FileConversion& result) {
                if (result.outcome == Outcome::Changed)
                    ++*changing;
                m_results.append(result);
                fillRow(int(index), result, write);
                if (write)
                    PasekPostepu->setValue(int(index + 1));
            });
    connect(job, &SiteConversionJob::finished, this, [this, job, changing, finish](qsizetype done) {
        finish(done, *changing);
        setRunning(false);
        job->deleteLater();
    });
    setRunning(true);
    job->start();
}

void TFPrzekodujFolder::btnSprawdzClick()
{
    const QString folder = EditFolder->text().trimmed();
    TabelaPlikow->setRowCount(0);
    m_entries.clear();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        LabelPodsumowanie->setText(QStringLiteral("Podaj istniejący folder."));
        setRunning(false);
        return;
    }
    const QList<SiteEntry> entries = collectSiteFiles({folder});
    TabelaPlikow->setRowCount(int(entries.size()));
    PasekPostepu->setRange(0, int(qMax<qsizetype>(entries.size(), 1)));
    PasekPostepu->setValue(0);
    m_entries = entries;
    LabelPodsumowanie->setText(QStringLiteral("Sprawdzanie…"));
    run(false, [this](qsizetype done, int changing) {
        if (done < m_entries.size()) {
            // A check cut short says nothing of the rest: nothing is converted on it.
            LabelPodsumowanie->setText(QStringLiteral("Przerwano sprawdzanie."));
            m_entries.clear();
            return;
        }
        LabelPodsumowanie->setText(
            QStringLiteral("Plików: %1, do zmiany: %2.").arg(m_entries.size()).arg(changing));
    });
}

void TFPrzekodujFolder::btnZmienClick()
{
    if (m_entries.isEmpty())
        return;
    m_started = QDateTime::currentDateTime();
    m_runFolder = newRunFolder(siteRunsFolder(), m_started);
    m_backup.reset();
    if (CheckKopia->isChecked()) {
        // Without a place for the copies nothing is changed.
        auto backup = std::make_unique<SiteBackup>(m_runFolder);
        const QString refused = backup->start({EditFolder->text().trimmed()});
        if (!refused.isEmpty()) {
            LabelPodsumowanie->setText(QStringLiteral("Nic nie zmieniono: %1.").arg(refused));
            return;
        }
        m_backup = std::move(backup);
    }
    run(true, [this](qsizetype done, int changed) {
        showRunReport(done);
        LabelPodsumowanie->setText(
            done < m_entries.size()
                ? QStringLiteral("Przerwano: zmienione %1, nietknięte %2.")
                      .arg(changed)
                      .arg(m_entries.size() - done)
                : QStringLiteral("Zmienione: %1 z %2.").arg(changed).arg(m_entries.size()));
        m_entries.clear();
    });
}

void TFPrzekodujFolder::showRunReport(qsizetype done)
{
    SiteConversionRun run;
    run.target = options().target;
    run.paths = {EditFolder->text().trimmed()};
    run.backupFolder = m_backup ? m_backup->folder() : QString();
    run.started = m_started;
    run.elapsedMs = m_started.msecsTo(QDateTime::currentDateTime());
    run.notBegun = m_entries.size() - done;
    const QByteArray html = siteConversionReport(run, m_results);
    QString savedAt = m_runFolder + QStringLiteral("/raport.html");
    try {
        QDir().mkpath(m_runFolder);
        writeWholeFile(savedAt, html, WriteTarget::ThisNameOnly);
    } catch (const CommandError&) {
        savedAt.clear();
    }
    if (!m_report)
        m_report = new TFRaportKonwersji(this);
    m_report->showReport(html, savedAt);
}

void TFPrzekodujFolder::btnPrzywrocClick()
{
    const QString folder = newestRestorableBackup(siteRunsFolder());
    if (folder.isEmpty() || m_job)
        return;
    if (m_desktop.askYesNoCancel(this, QStringLiteral("Przywrócić pliki sprzed ostatniej zmiany "
                                                      "kodowania (kopia %1)?")
                                           .arg(folder)) != Answer::Yes)
        return;
    int failed = 0;
    qsizetype restored = 0;
    try {
        const QList<RestoredFile> files = restoreSiteBackup(folder);
        restored = files.size();
        for (const RestoredFile& file : files)
            failed += !file.error.isEmpty();
        if (failed == 0)
            markRestored(folder);
    } catch (const CommandError& error) {
        m_desktop.showError(this, error.message());
        return;
    }
    LabelPodsumowanie->setText(
        QStringLiteral("Przywrócone: %1, błędy: %2.").arg(restored - failed).arg(failed));
    setRunning(false);
}

void TFPrzekodujFolder::btnAnulujClick()
{
    if (m_job)
        m_job->cancel();
    else
        QDialog::reject();
}

void TFPrzekodujFolder::reject()
{
    // Esc during a run stops it; the dialog closes once nothing is being written.
    btnAnulujClick();
}
