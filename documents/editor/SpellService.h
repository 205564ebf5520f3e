#pragma once

#include "spelling/SpellDictionary.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>

class QThread;

// The dictionaries and the personal word list every editor's spell checking shares. Nothing is
// read until a page first asks: a dictionary then loads on a thread of its own, and
// dictionaryLoaded() tells when it is there.
class SpellService : public QObject {
    Q_OBJECT
public:
    // Runs a piece of work that may throw CommandError, showing the error; false when it did.
    using Guard = std::function<bool(const std::function<void()>&)>;

    // `folders` are searched for the dictionaries; `personalList` is the personal word list.
    SpellService(QStringList folders, QString personalList, Guard guard, QObject* parent = nullptr);
    ~SpellService() override;

    // "pl" and "en"; whether its dictionary is installed.
    bool isInstalled(const QString& language) const;
    // The language's dictionary, or null while it loads (starting to load it) or when missing.
    SpellDictionary* dictionary(const QString& language);
    // Whether the language's dictionary was asked for and is missing or unreadable.
    bool isMissing(const QString& language) const
    {
        return m_dictionaries.contains(language) && !m_dictionaries.value(language);
    }

    // Whether the word is on the personal list.
    bool isPersonalWord(const QString& word);
    // Puts the word on the personal list and writes the list; shows what stopped that.
    void addPersonalWord(const QString& word);

    // What keeps checking from working as it should, one line for the user, or empty.
    QString problem() const { return m_problem; }

    static QString defaultPersonalListPath();

signals:
    void dictionaryLoaded(const QString& language);
    void personalWordAdded(const QString& word);
    void problemChanged(const QString& problem);

private:
    void readPersonalList();
    void setProblem(const QString& problem);

    QStringList m_folders;
    QString m_personalList;
    Guard m_guard;
    QHash<QString, std::shared_ptr<SpellDictionary>> m_dictionaries;
    QHash<QString, QThread*> m_loading;
    bool m_personalRead = false;
    // The list's bytes as read, rewritten with each word added; a list that could not be read
    // whole is never rewritten.
    QByteArray m_personalBytes;
    bool m_personalWritable = true;
    QSet<QString> m_personalWords;
    QString m_problem;
};
