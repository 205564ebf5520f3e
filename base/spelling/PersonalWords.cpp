#include "spelling/PersonalWords.h"

#include "spelling/SpellText.h"

#include <QStringDecoder>

#include <algorithm>

QSet<QString> parsePersonalWords(QByteArrayView bytes)
{
    QSet<QString> words;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        const QByteArrayView line = bytes.sliced(start, end - start).trimmed();
        start = end + 1;
        if (line.isEmpty() || line.size() > 4 * MaxCheckedWordLength)
            continue;
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString word = decoder(line);
        if (decoder.hasError() || word.size() > MaxCheckedWordLength)
            continue;
        if (std::any_of(word.begin(), word.end(),
                        [](QChar c) { return c.isSpace() || !c.isPrint(); }))
            continue;
        words.insert(word);
    }
    return words;
}

QByteArray withPersonalWord(QByteArray bytes, const QString& word)
{
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes.append('\n');
    return bytes + word.toUtf8() + '\n';
}
