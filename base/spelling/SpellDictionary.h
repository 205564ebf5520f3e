#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>

class Hunspell;

// One Hunspell dictionary, asked in the words' own characters whatever its file's encoding.
// Loading takes a few hundred milliseconds: it is done once, off the main thread.
class SpellDictionary {
public:
    // The dictionary `name` ("pl_PL") from the first folder holding both its .aff and .dic
    // files, or null when none does or its encoding is not one this program can convert.
    static std::unique_ptr<SpellDictionary> load(const QStringList& folders, const QString& name);
    // Whether some folder holds the dictionary, without loading it.
    static bool isInstalled(const QStringList& folders, const QString& name);
    // The folders dictionaries are looked for in: those of $DICPATH, then the system's.
    static QStringList systemFolders();

    ~SpellDictionary();
    SpellDictionary(const SpellDictionary&) = delete;
    SpellDictionary& operator=(const SpellDictionary&) = delete;

    bool check(const QString& word);
    // At most `count` corrections, the likeliest first.
    QStringList suggest(const QString& word, int count) const;

private:
    SpellDictionary(std::unique_ptr<Hunspell> hunspell, QByteArray encoding);
    // The word in the dictionary's encoding; empty when a character has no place in it.
    std::string encoded(const QString& word) const;
    QString decoded(const std::string& bytes) const;

    std::unique_ptr<Hunspell> m_hunspell;
    QByteArray m_encoding;
    // Answers already given: a page repeats its words, and Hunspell takes microseconds each.
    QHash<QString, bool> m_answers;
};
