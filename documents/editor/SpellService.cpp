#include "editor/SpellService.h"

#include "common/CommandError.h"
#include "files/FileWriter.h"
#include "spelling/PersonalWords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace {

QString dictionaryName(const QString& language)
{
    return language == QLatin1String("en") ? QStringLiteral("en_US") : QStringLiteral("pl_PL");
}

} // namespace

SpellService::SpellService(QStringList folders, QString personalList, Guard guard, QObject* parent)
    : QObject(parent), m_folders(std::move(folders)), m_personalList(std::move(personalList)),
      m_guard(std::move(guard))
{
}

SpellService::~SpellService()
{
    // A dictionary still loading is waited for: its thread writes into what is let go here.
    for (QThread* thread : std::as_const(m_loading)) {
        thread->wait();
        delete thread;
    }
}

QString SpellService::defaultPersonalListPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("slownik-osobisty.txt"));
}

bool SpellService::isInstalled(const QString& language) const
{
    return SpellDictionary::isInstalled(m_folders, dictionaryName(language));
}

SpellDictionary* SpellService::dictionary(const QString& language)
{
    if (const auto found = m_dictionaries.constFind(language); found != m_dictionaries.cend())
        return found->get();
    if (m_loading.contains(language))
        return nullptr;
    if (!isInstalled(language)) {
        m_dictionaries.insert(language, nullptr);
        setProblem(language == QLatin1String("en")
                       ? QStringLiteral("Brak słownika angielskiego (hunspell-en-us): pisownia "
                                        "stron angielskich nie jest sprawdzana.")
                       : QStringLiteral("Brak słownika polskiego (hunspell-pl): pisownia nie jest "
                                        "sprawdzana."));
        return nullptr;
    }
    readPersonalList();
    auto loaded = std::make_shared<std::unique_ptr<SpellDictionary>>();
    QThread* thread =
        QThread::create([loaded, folders = m_folders, name = dictionaryName(language)] {
            *loaded = SpellDictionary::load(folders, name);
        });
    m_loading.insert(language, thread);
    connect(thread, &QThread::finished, this, [this, language, loaded] {
        QThread* thread = m_loading.take(language);
        thread->deleteLater();
        m_dictionaries.insert(language, std::shared_ptr<SpellDictionary>(std::move(*loaded)));
        if (!m_dictionaries.value(language))
            setProblem(QStringLiteral("Słownik %1 jest nieczytelny: pisownia nie jest sprawdzana.")
                           .arg(dictionaryName(language)));
        emit dictionaryLoaded(language);
    });
    thread->start(QThread::IdlePriority);
    return nullptr;
}

void SpellService::readPersonalList()
{
    if (m_personalRead)
        return;
    m_personalRead = true;
    QFile file(m_personalList);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_personalWritable = false;
        setProblem(
            QStringLiteral("Nie można odczytać słownika osobistego %1.").arg(m_personalList));
        return;
    }
    m_personalBytes = file.read(MaxPersonalListBytes + 1);
    if (m_personalBytes.size() > MaxPersonalListBytes || file.error() != QFile::NoError) {
        m_personalWritable = false;
        m_personalBytes.truncate(MaxPersonalListBytes);
        setProblem(QStringLiteral("Słownik osobisty %1 jest za duży lub nieczytelny: nowe słowa "
                                  "nie są w nim zapisywane.")
                       .arg(m_personalList));
    }
    m_personalWords = parsePersonalWords(m_personalBytes);
}

bool SpellService::isPersonalWord(const QString& word)
{
    readPersonalList();
    return m_personalWords.contains(word);
}

void SpellService::addPersonalWord(const QString& word)
{
    readPersonalList();
    if (word.isEmpty() || m_personalWords.contains(word))
        return;
    // Known for this session even when the list cannot take it.
    m_personalWords.insert(word);
    emit personalWordAdded(word);
    m_guard([&] {
        if (!m_personalWritable)
            throw CommandError(QStringLiteral("Słowo „%1” nie zostało zapisane w słowniku "
                                              "osobistym, bo nie udało się go wcześniej odczytać "
                                              "w całości:\n%2")
                                   .arg(word, m_personalList));
        const QByteArray bytes = withPersonalWord(m_personalBytes, word);
        QDir().mkpath(QFileInfo(m_personalList).path());
        writeWholeFile(m_personalList, bytes, WriteTarget::ThisNameOnly);
        m_personalBytes = bytes;
    });
}

void SpellService::setProblem(const QString& problem)
{
    if (problem == m_problem)
        return;
    m_problem = problem;
    emit problemChanged(problem);
}
