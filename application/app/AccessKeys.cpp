#include "app/AccessKeys.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <optional>

namespace {

bool isKeyCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
}

// Where the caption's existing access key stands (the index of the character after "&").
std::optional<qsizetype> accessKeyIndex(const QString& caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != u'&')
            continue;
        if (caption[i + 1] != u'&')
            return i + 1;
        ++i;
    }
    return std::nullopt;
}

bool startsWord(const QString& caption, qsizetype i)
{
    return i == 0 || !caption[i - 1].isLetterOrNumber();
}

} // namespace

QStringList withAccessKeys(const QStringList& captions)
{
    QString taken;
    std::vector<std::optional<qsizetype>> chosen(captions.size());
    std::vector<bool> done(captions.size(), false);
    for (qsizetype n = 0; n < captions.size(); ++n) {
        if (const auto index = accessKeyIndex(captions[n])) {
            taken += captions[n][*index].toLower();
            done[n] = true;
        } else if (captions[n] == QLatin1String("-")) {
            done[n] = true;
        }
    }
    // Three rounds over the whole menu, so that a later item's first letter is not taken by an
    // earlier item's second choice.
    const auto fits = [](int round, const QString& caption, qsizetype i) {
        const bool first = !std::any_of(caption.begin(), caption.begin() + i,
                                        [](QChar c) { return isKeyCharacter(c); });
        const bool digit = caption[i].isDigit(); // "h1" and "h2" are told apart by the number
        return round == 0 ? first : round == 1 ? startsWord(caption, i) || digit : true;
    };
    for (int round = 0; round < 3; ++round) {
        for (qsizetype n = 0; n < captions.size(); ++n) {
            if (done[n])
                continue;
            const QString& caption = captions[n];
            for (qsizetype i = 0; i < caption.size(); ++i) {
                const QChar c = caption[i];
                if (!isKeyCharacter(c) || taken.contains(c.toLower()) || !fits(round, caption, i))
                    continue;
                taken += c.toLower();
                chosen[n] = i;
                done[n] = true;
                break;
            }
        }
    }
    QStringList result;
    result.reserve(captions.size());
    for (qsizetype n = 0; n < captions.size(); ++n) {
        if (!chosen[n]) {
            result << captions[n];
            continue;
        }
        QString caption = captions[n];
        caption.replace(QLatin1Char('&'), QLatin1String("&&"));
        const qsizetype before = captions[n].left(*chosen[n]).count(QLatin1Char('&'));
        caption.insert(*chosen[n] + before, QLatin1Char('&'));
        result << caption;
    }
    return result;
}

QString withoutAccessKey(const QString& caption)
{
    QString plain;
    plain.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        plain += caption[i];
    }
    return plain;
}

namespace {

void giveAccessKeys(const QList<QAction*>& actions)
{
    QStringList captions;
    for (const QAction* action : actions)
        captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
    const QStringList keyed = withAccessKeys(captions);
    for (qsizetype n = 0; n < actions.size(); ++n) {
        QAction* action = actions[n];
        if (action->isSeparator())
            continue;
        action->setText(keyed[n]);
        if (action->menu())
            giveAccessKeys(action->menu());
    }
}

} // namespace

void giveAccessKeys(QMenuBar* menuBar)
{
    giveAccessKeys(menuBar->actions());
}

void giveAccessKeys(QMenu* menu)
{
    giveAccessKeys(menu->actions());
}
