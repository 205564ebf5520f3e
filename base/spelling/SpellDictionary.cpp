#include "spelling/SpellDictionary.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell.hxx>

namespace {

constexpr qsizetype MaxRememberedAnswers = 1 << 18;

QString dictionaryPath(const QStringList& folders, const QString& name)
{
    for (const QString& folder : folders) {
        const QString base = QDir(folder).filePath(name);
        if (QFileInfo(base + QStringLiteral(".aff")).isReadable() &&
            QFileInfo(base + QStringLiteral(".dic")).isReadable())
            return base;
    }
    return {};
}

} // namespace

QStringList SpellDictionary::systemFolders()
{
    QStringList folders;
    for (const QString& folder : qEnvironmentVariable("DICPATH").split(u':', Qt::SkipEmptyParts))
        folders.append(folder);
    folders << QStringLiteral("/usr/share/hunspell") << QStringLiteral("/usr/share/myspell/dicts")
            << QStringLiteral("/usr/share/myspell");
    return folders;
}

bool SpellDictionary::isInstalled(const QStringList& folders, const QString& name)
{
    return !dictionaryPath(folders, name).isEmpty();
}

std::unique_ptr<SpellDictionary> SpellDictionary::load(const QStringList& folders,
                                                       const QString& name)
{
    const QString base = dictionaryPath(folders, name);
    if (base.isEmpty())
        return nullptr;
    auto hunspell =
        std::make_unique<Hunspell>(QFile::encodeName(base + QStringLiteral(".aff")).constData(),
                                   QFile::encodeName(base + QStringLiteral(".dic")).constData());
    QByteArray encoding = QByteArray::fromStdString(hunspell->get_dict_encoding()).toUpper();
    // Hunspell names them without the dash: "ISO8859-2".
    if (encoding.startsWith("ISO8859"))
        encoding.insert(3, '-');
    if (encoding != "UTF-8" && !QStringEncoder(encoding.constData()).isValid())
        return nullptr;
    return std::unique_ptr<SpellDictionary>(new SpellDictionary(std::move(hunspell), encoding));
}

SpellDictionary::SpellDictionary(std::unique_ptr<Hunspell> hunspell, QByteArray encoding)
    : m_hunspell(std::move(hunspell)), m_encoding(std::move(encoding))
{
}

SpellDictionary::~SpellDictionary() = default;

std::string SpellDictionary::encoded(const QString& word) const
{
    if (m_encoding == "UTF-8")
        return word.toStdString();
    QStringEncoder encoder(m_encoding.constData(), QStringConverter::Flag::Stateless);
    const QByteArray bytes = encoder(word);
    // A character the encoding lacks comes out as '?', which no dictionary word holds.
    if (encoder.hasError() || (bytes.contains('?') && !word.contains(u'?')))
        return {};
    return bytes.toStdString();
}

QString SpellDictionary::decoded(const std::string& bytes) const
{
    if (m_encoding == "UTF-8")
        return QString::fromStdString(bytes);
    QStringDecoder decoder(m_encoding.constData());
    return decoder(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

bool SpellDictionary::check(const QString& word)
{
    if (const auto known = m_answers.constFind(word); known != m_answers.cend())
        return *known;
    const std::string bytes = encoded(word);
    // A word that the dictionary's characters cannot spell is not its language's: left alone.
    const bool right = bytes.empty() || m_hunspell->spell(bytes);
    if (m_answers.size() >= MaxRememberedAnswers)
        m_answers.clear();
    m_answers.insert(word, right);
    return right;
}

QStringList SpellDictionary::suggest(const QString& word, int count) const
{
    const std::string bytes = encoded(word);
    if (bytes.empty())
        return {};
    QStringList suggestions;
    for (const std::string& suggestion : m_hunspell->suggest(bytes)) {
        if (suggestions.size() >= count)
            break;
        suggestions.append(decoded(suggestion));
    }
    return suggestions;
}
