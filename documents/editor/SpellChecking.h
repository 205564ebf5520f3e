#pragma once

#include "spelling/SpellText.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <array>
#include <optional>

class QMenu;
class SpellService;
class TSynMemo;
class QsciLexer;

// The spell checking of one editor: misspelt words under a red wavy line (an indicator of the
// editor), the words read being those the colouring says a reader sees. What is shown is checked
// first, then the rest of the text in slices of about a millisecond from a zero timer, as the
// colouring catches up, so that a key never waits for it. Another indicator, never drawn, marks
// what has been checked; an edit clears it from the edited place on, and the slices go on.
class SpellChecking : public QObject {
    Q_OBJECT
public:
    SpellChecking(TSynMemo* editor, SpellService& service);

    // On by default for HTML, PHP and plain text; off for the other languages.
    bool isEnabled() const;
    void setEnabled(bool enabled);
    // "pl" or "en": the one chosen for the page, else that of its <html lang>, else "pl".
    QString language() const;
    void setLanguage(const QString& language);

    // Selects the next misspelt word after the caret, from the top after the last; false when
    // there is none.
    bool selectNextMistake();

    // Whether all that is shown has been checked.
    bool isShownChecked() const;
    // Byte ranges [start, end) marked as misspelt, of all the text or from `from` to `to`.
    QList<std::pair<qsizetype, qsizetype>> marks() const;
    QList<std::pair<qsizetype, qsizetype>> marks(qsizetype from, qsizetype to) const;
    // Whether some text is still to be checked (or a dictionary is loading).
    bool isCatchingUp() const { return m_timer.isActive() || m_awaitingDictionary; }

    static constexpr int MistakeIndicator = 20;
    static constexpr int CheckedIndicator = 21;

private:
    enum class Mode { Markup, Source, Text };
    struct Chunk {
        qsizetype start = 0;
        qsizetype end = 0;
    };

    long send(unsigned int message, unsigned long wParam = 0, long lParam = 0) const;
    void restart();
    // Lets go of every mark and of what is known checked.
    void forgetChecks();
    void noteEdit(int position, int type, int length);
    void showNeeded();
    void checkSlice();
    std::optional<Chunk> nextChunk();
    Chunk chunkFrom(qsizetype start) const;
    qsizetype uncheckedFrom(qsizetype from, qsizetype to) const;
    std::pair<qsizetype, qsizetype> shownRange() const;
    qsizetype boundaryBefore(qsizetype position) const;
    void ensureStyled(qsizetype end);
    QList<SpellWord> wordsOf(const Chunk& chunk);
    void checkChunk(const Chunk& chunk);
    void fill(int indicator, qsizetype start, qsizetype end, bool on);
    void prepareMode();
    void forgetWord(const QString& word);
    void addMenuItems(QMenu* menu, qsizetype position);
    std::optional<SpellWord> mistakeAt(qsizetype position);

    TSynMemo* const m_editor;
    SpellService& m_service;
    QTimer m_timer;
    Mode m_mode = Mode::Text;
    QPointer<QsciLexer> m_lexer;
    bool m_modeKnown = false;
    std::array<TextRole, 256> m_roles{};
    std::optional<bool> m_chosenEnabled;
    QString m_chosenLanguage;
    QString m_pageLanguage;
    bool m_pageLanguageKnown = false;
    bool m_awaitingDictionary = false;
    QSet<QString> m_ignored;
    // Text edited since the last slice, [start, end); start < 0 when none.
    qsizetype m_dirtyStart = -1;
    qsizetype m_dirtyEnd = -1;
    // Text to check again whether checked or not, [from, to), taken a chunk at a time.
    qsizetype m_recheckFrom = 0;
    qsizetype m_recheckTo = 0;
    // Whether a <style> element is open at the ends of the chunks last checked.
    QHash<qsizetype, bool> m_styleAt;
};
