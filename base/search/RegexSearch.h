#pragma once

#include <QByteArrayView>
#include <QRegularExpression>
#include <QString>
#include <QStringView>

#include <vector>

// A search text taken as a regular expression: Perl-compatible, Unicode-aware (\w, \b and
// letter case know Polish letters), in either letter case or only in its own, optionally only
// as a whole word. Matching works on UTF-16 text; RegexText below carries UTF-8 text there and
// back.
class RegexPattern {
public:
    RegexPattern(const QString& text, bool matchCase, bool wholeWord);

    bool isValid() const { return m_expression.isValid(); }
    // Why the expression is malformed, in Polish, naming the position (from 1) of the fault.
    QString errorMessage() const;

    // The text searched must be well-formed UTF-16 (as RegexText's is): it is not checked on
    // every call, which would cost a pass over the whole text for each match.
    // The first match starting at `from` or later and ending at `to` or before, in the whole
    // `text` (so that what stands around the range counts for \b and look-arounds). Empty
    // matches are passed by unless `allowEmpty`. Throws CommandError when the expression needs
    // more steps than allowed (runaway backtracking).
    QRegularExpressionMatch find(QStringView text, qsizetype from, qsizetype to,
                                 bool allowEmpty = false) const;
    // The last match lying wholly in [from, to), the same way.
    QRegularExpressionMatch findLast(QStringView text, qsizetype from, qsizetype to,
                                     bool allowEmpty = false) const;
    // Every match in [from, to), empty ones included, each after the end of the one before.
    std::vector<QRegularExpressionMatch> findAll(QStringView text, qsizetype from,
                                                 qsizetype to) const;

    // The first match in UTF-8 text starting at byte `from` or later and ending at `to` or
    // before, as find() would give it on the whole text, but with only as much of the text
    // made UTF-16 as the search needs: it goes through windows of `window` bytes (and the 256
    // bytes before each, for what a match looks back at), taking a match only when the
    // expression did not need to see beyond the window. `start` and `end` are byte offsets;
    // `start` is -1 when there is none.
    struct Utf8Match {
        qsizetype start = -1;
        qsizetype end = -1;
        QRegularExpressionMatch match;
    };
    Utf8Match findForward(QByteArrayView utf8, qsizetype from, qsizetype to, bool allowEmpty,
                          qsizetype window = 1 << 20) const;

    const QRegularExpression& expression() const { return m_expression; }

private:
    QRegularExpression m_expression;
    bool m_wholeWord;
};

// The replacement for a match: \0 is the whole match, \1 to \9 its groups (empty when a group
// took no part), \\ a backslash, \n and \t a line break and a tab; any other backslash stays.
QString expandReplacement(const QString& replacement, const QRegularExpressionMatch& match);

// The Polish message for a match that needed more steps than allowed.
QString regexRunawayMessage();

// UTF-8 text (the editor's, or a decoded file) as UTF-16 for matching, with the way back from
// UTF-16 offsets to byte offsets. Bytes that belong to no well-formed UTF-8 sequence become one
// U+FFFD each; a byte order mark (EF BB BF) stays U+FEFF wherever it stands, at the start too.
// Appends RegexText's text of `utf8` to `text`, without the way back to bytes.
void appendRegexText(QString& text, QByteArrayView utf8);

class RegexText {
public:
    explicit RegexText(QByteArrayView utf8);

    const QString& text() const { return m_text; }
    qsizetype byteOffset(qsizetype utf16Offset) const;
    qsizetype utf16Offset(qsizetype byteOffset) const;

private:
    QByteArrayView m_bytes;
    QString m_text;
    // Where the last well-formed conversion ended, so that rising offsets are found in one walk.
    mutable qsizetype m_lastUnits = 0;
    mutable qsizetype m_lastBytes = 0;
    // Where each malformed byte is, in the text and in the bytes: between two of them, the
    // offsets are counted as in well-formed text.
    struct Place {
        qsizetype unit;
        qsizetype byte;
    };
    std::vector<Place> m_malformed;
};
