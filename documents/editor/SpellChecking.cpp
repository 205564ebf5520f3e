#include "editor/SpellChecking.h"

#include "editor/SpellService.h"
#include "editor/TSynMemo.h"

#include <QElapsedTimer>
#include <QMenu>
#include <Qsci/qscilexer.h>

#include <algorithm>

namespace {

// Scintilla's range of text with its styles, as SCI_GETSTYLEDTEXT takes it.
struct StyledRange {
    long start;
    long end;
    char* text;
};

constexpr qint64 SpellSliceNanoseconds = 500'000;
constexpr qsizetype ChunkBytes = 2 << 10;
// How far back an edit or a click looks for the start of the word or tag it is in.
constexpr qsizetype BoundaryLookBack = 4 << 10;
// How far back a chunk looks for an open <style> element.
constexpr qsizetype StyleLookBack = 64 << 10;
constexpr int MaxSuggestions = 6;
// The most text checked again in order after an edit.
constexpr qsizetype RecheckBytes = 64 << 10;
const char* const SpellingActionProperty = "spellingAction";

// The HTML lexer's styles (Scintilla's SCE_H_*) that a page's reader sees or that frame it.
void setMarkupRoles(std::array<TextRole, 256>& roles)
{
    roles.fill(TextRole::Skip);
    roles[0] = TextRole::Text;           // text between tags
    roles[10] = TextRole::Text;          // an entity
    roles[1] = roles[2] = TextRole::Tag; // a tag, a tag unknown to HTML
    roles[3] = roles[4] = TextRole::AttributeName;
    roles[6] = roles[7] = roles[19] = TextRole::AttributeValue; // "...", '...', unquoted
    roles[9] = TextRole::Comment;
}

// Comments and strings by the names the lexer gives its styles.
void setSourceRoles(std::array<TextRole, 256>& roles, const QsciLexer& lexer)
{
    roles.fill(TextRole::Skip);
    for (int style = 0; style < 256; ++style) {
        const QString name = lexer.description(style);
        if (name.contains(QLatin1String("comment"), Qt::CaseInsensitive))
            roles[size_t(style)] = TextRole::Comment;
        else if (name.contains(QLatin1String("string"), Qt::CaseInsensitive))
            roles[size_t(style)] = TextRole::Literal;
    }
}

} // namespace

SpellChecking::SpellChecking(TSynMemo* editor, SpellService& service)
    : QObject(editor), m_editor(editor), m_service(service)
{
    send(QsciScintillaBase::SCI_INDICSETSTYLE, MistakeIndicator, QsciScintillaBase::INDIC_SQUIGGLE);
    const bool darkPaper = editor->paper().lightness() < 128;
    editor->SendScintilla(QsciScintillaBase::SCI_INDICSETFORE, MistakeIndicator,
                          darkPaper ? QColor(0xff, 0x60, 0x60) : QColor(0xe0, 0x10, 0x10));
    send(QsciScintillaBase::SCI_INDICSETSTYLE, CheckedIndicator, QsciScintillaBase::INDIC_HIDDEN);

    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &SpellChecking::checkSlice);
    connect(editor, &QsciScintillaBase::SCN_PAINTED, this, &SpellChecking::showNeeded);
    connect(editor, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int type, const char*, int length) {
                noteEdit(position, type, length);
            });
    connect(editor, &TSynMemo::popupMenuAboutToShow, this, &SpellChecking::addMenuItems);
    connect(&service, &SpellService::dictionaryLoaded, this, &SpellChecking::showNeeded);
    connect(&service, &SpellService::personalWordAdded, this, &SpellChecking::forgetWord);
}

long SpellChecking::send(unsigned int message, unsigned long wParam, long lParam) const
{
    return m_editor->SendScintilla(message, wParam, lParam);
}

bool SpellChecking::isEnabled() const
{
    const_cast<SpellChecking*>(this)->prepareMode();
    return m_chosenEnabled.value_or(m_mode != Mode::Source);
}

void SpellChecking::setEnabled(bool enabled)
{
    m_chosenEnabled = enabled;
    restart();
}

QString SpellChecking::language() const
{
    if (!m_chosenLanguage.isEmpty())
        return m_chosenLanguage;
    return m_pageLanguage == QLatin1String("en") ? m_pageLanguage : QStringLiteral("pl");
}

void SpellChecking::setLanguage(const QString& language)
{
    m_chosenLanguage = language;
    restart();
}

void SpellChecking::prepareMode()
{
    QsciLexer* lexer = m_editor->lexer();
    if (m_modeKnown && lexer == m_lexer)
        return;
    // Another colouring chosen for the page: what is read changes with it.
    const bool changed = m_modeKnown;
    m_modeKnown = true;
    m_lexer = lexer;
    const QString path = m_editor->documentPath();
    const QString lexerName = lexer ? lexer->objectName() : QString();
    if (!lexer || path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)) {
        m_mode = Mode::Text;
        m_roles.fill(TextRole::Text);
    } else if (lexerName == QLatin1String("HTMLSyn") || lexerName == QLatin1String("PHPSyn")) {
        m_mode = Mode::Markup;
        setMarkupRoles(m_roles);
    } else {
        m_mode = Mode::Source;
        setSourceRoles(m_roles, *lexer);
    }
    if (changed)
        forgetChecks();
}

void SpellChecking::restart()
{
    m_modeKnown = false;
    prepareMode();
    forgetChecks();
    showNeeded();
}

void SpellChecking::forgetChecks()
{
    const qsizetype length = m_editor->textLength();
    fill(MistakeIndicator, 0, length, false);
    fill(CheckedIndicator, 0, length, false);
    m_dirtyStart = m_dirtyEnd = -1;
    m_recheckFrom = m_recheckTo = 0;
    m_styleAt.clear();
}

void SpellChecking::noteEdit(int position, int type, int length)
{
    if (!(type & (QsciScintillaBase::SC_MOD_BEFOREINSERT | QsciScintillaBase::SC_MOD_BEFOREDELETE)))
        return;
    if (type & QsciScintillaBase::SC_MOD_BEFOREDELETE) {
        if (position == 0 && length >= m_editor->textLength()) {
            // A new text: its language is read again from it.
            m_pageLanguageKnown = false;
            m_dirtyStart = m_dirtyEnd = -1;
            m_recheckFrom = m_recheckTo = 0;
            m_styleAt.clear();
            return;
        }
        length = -length;
    }
    if (m_dirtyStart < 0) {
        m_dirtyStart = position;
        m_dirtyEnd = position + std::max(length, 0);
    } else {
        if (position <= m_dirtyEnd)
            m_dirtyEnd = std::max<qsizetype>(position, m_dirtyEnd + length);
        m_dirtyStart = std::min<qsizetype>(m_dirtyStart, position);
        m_dirtyEnd = std::max<qsizetype>(m_dirtyEnd, position + std::max(length, 0));
    }
    m_styleAt.clear();
    if (!m_timer.isActive() && isEnabled())
        m_timer.start();
}

void SpellChecking::showNeeded()
{
    m_awaitingDictionary = false;
    if (!m_timer.isActive() && isEnabled() && m_editor->textLength() > 0)
        m_timer.start();
}

void SpellChecking::checkSlice()
{
    if (!isEnabled() || m_editor->textLength() == 0) {
        m_timer.stop();
        return;
    }
    // Until what is shown is coloured, the colouring's own slices go first.
    if (m_editor->isColouringBehind())
        return;
    if (!m_pageLanguageKnown) {
        m_pageLanguageKnown = true;
        m_pageLanguage = m_mode == Mode::Markup
                             ? pageLanguage(m_editor->rangeBytes(
                                   0, std::min<qsizetype>(m_editor->textLength(), 64 << 10)))
                             : QString();
    }
    if (!m_service.dictionary(language())) {
        // Loading: dictionaryLoaded() starts the slices again. Missing: nothing is checked.
        m_awaitingDictionary = !m_service.isMissing(language());
        m_timer.stop();
        return;
    }
    m_awaitingDictionary = false;
    QElapsedTimer elapsed;
    elapsed.start();
    do {
        const auto chunk = nextChunk();
        if (!chunk) {
            m_timer.stop();
            return;
        }
        checkChunk(*chunk);
    } while (elapsed.nsecsElapsed() < SpellSliceNanoseconds);
}

qsizetype SpellChecking::uncheckedFrom(qsizetype from, qsizetype to) const
{
    qsizetype position = from;
    while (position < to) {
        if (send(QsciScintillaBase::SCI_INDICATORVALUEAT, CheckedIndicator, position) == 0)
            return position;
        const qsizetype end = send(QsciScintillaBase::SCI_INDICATOREND, CheckedIndicator, position);
        if (end <= position)
            return to;
        position = end;
    }
    return to;
}

qsizetype SpellChecking::boundaryBefore(qsizetype position) const
{
    const qsizetype from = std::max<qsizetype>(0, position - BoundaryLookBack);
    const QByteArrayView before = m_editor->rangeBytes(from, position - from);
    for (qsizetype i = before.size(); i > 0; --i) {
        const char c = before[i - 1];
        if (c == '\n' || c == '>' || c == ' ' || c == '\t')
            return from + i;
    }
    return from;
}

std::pair<qsizetype, qsizetype> SpellChecking::shownRange() const
{
    const long firstShown = send(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                 send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE));
    const long lastShown = send(QsciScintillaBase::SCI_DOCLINEFROMVISIBLE,
                                send(QsciScintillaBase::SCI_GETFIRSTVISIBLELINE) +
                                    send(QsciScintillaBase::SCI_LINESONSCREEN));
    return {send(QsciScintillaBase::SCI_POSITIONFROMLINE, firstShown),
            send(QsciScintillaBase::SCI_GETLINEENDPOSITION, lastShown)};
}

bool SpellChecking::isShownChecked() const
{
    const auto [start, end] = shownRange();
    return m_dirtyStart < 0 && (m_recheckFrom >= m_recheckTo || m_recheckTo <= start) &&
           uncheckedFrom(start, end) >= end;
}

std::optional<SpellChecking::Chunk> SpellChecking::nextChunk()
{
    const qsizetype length = m_editor->textLength();
    if (m_dirtyStart >= 0) {
        // The colouring after an edit may change down to the end of what is shown: that much is
        // checked again, before anything else.
        const qsizetype start = boundaryBefore(std::min(m_dirtyStart, length));
        const qsizetype end = std::max({m_dirtyEnd, shownRange().second, start});
        m_dirtyStart = m_dirtyEnd = -1;
        if (end - start > RecheckBytes) {
            // A new text or a large change: checked as unchecked text is, what is shown first.
            fill(CheckedIndicator, start, std::min(end, length), false);
        } else {
            m_recheckFrom = m_recheckFrom < m_recheckTo ? std::min(m_recheckFrom, start) : start;
            m_recheckTo = std::max(m_recheckTo, end);
        }
    }
    m_recheckTo = std::min(m_recheckTo, length);
    if (m_recheckFrom < m_recheckTo) {
        const Chunk chunk = chunkFrom(m_recheckFrom);
        m_recheckFrom = chunk.end;
        return chunk;
    }
    const auto [shownStart, shownEnd] = shownRange();
    qsizetype start = uncheckedFrom(shownStart, shownEnd);
    if (start >= shownEnd)
        start = uncheckedFrom(0, length);
    if (start >= length)
        return std::nullopt;
    return chunkFrom(start);
}

SpellChecking::Chunk SpellChecking::chunkFrom(qsizetype start) const
{
    const qsizetype length = m_editor->textLength();
    const QByteArrayView ahead =
        m_editor->rangeBytes(start, std::min(length - start, ChunkBytes + 1));
    return Chunk{start, start + chunkEnd(ahead, 0, ChunkBytes)};
}

void SpellChecking::ensureStyled(qsizetype end)
{
    const qsizetype styled = send(QsciScintillaBase::SCI_GETENDSTYLED);
    if (styled >= end)
        return;
    // Colouring text that is not shown repaints the whole view: it takes no updates meanwhile.
    QWidget* const viewport = m_editor->viewport();
    const bool updatesWereEnabled = viewport->updatesEnabled();
    if (updatesWereEnabled)
        viewport->setAttribute(Qt::WA_UpdatesDisabled, true);
    send(QsciScintillaBase::SCI_COLOURISE,
         send(QsciScintillaBase::SCI_POSITIONFROMLINE,
              send(QsciScintillaBase::SCI_LINEFROMPOSITION, styled)),
         end);
    if (updatesWereEnabled)
        viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
}

QList<SpellWord> SpellChecking::wordsOf(const Chunk& chunk)
{
    const qsizetype size = chunk.end - chunk.start;
    QByteArray styled(2 * size + 2, Qt::Uninitialized);
    StyledRange range{long(chunk.start), long(chunk.end), styled.data()};
    m_editor->SendScintilla(QsciScintillaBase::SCI_GETSTYLEDTEXT, 0UL, &range);
    QByteArray text(size, Qt::Uninitialized);
    QByteArray roles(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        text[i] = styled[2 * i];
        roles[i] = char(m_roles[static_cast<unsigned char>(styled[2 * i + 1])]);
    }
#ifdef TAGOMIR_PATCHED_QSCINTILLA
    // Past the coloured part of a long line everything keeps the plain style, tags included:
    // nothing there is read.
    if (m_mode != Mode::Text) {
        const qsizetype lineStart =
            send(QsciScintillaBase::SCI_POSITIONFROMLINE,
                 send(QsciScintillaBase::SCI_LINEFROMPOSITION, chunk.start));
        const qsizetype plainFrom = lineStart + TSynMemo::ColouredLineLength - chunk.start;
        if (plainFrom < size) {
            qsizetype i = std::max<qsizetype>(0, plainFrom);
            while (i < size && text[i] != '\n')
                roles[i++] = char(TextRole::Skip);
        }
    }
#endif
    bool insideStyle = false;
    if (m_mode == Mode::Markup) {
        // Whether a <style> element is open where a chunk starts is known from the chunk before
        // it; else looked for in the text before.
        if (const auto known = m_styleAt.constFind(chunk.start); known != m_styleAt.cend()) {
            insideStyle = *known;
        } else {
            const qsizetype from = std::max<qsizetype>(0, chunk.start - StyleLookBack);
            insideStyle = endsInsideStyle(m_editor->rangeBytes(from, chunk.start - from));
        }
        if (m_styleAt.size() >= 64)
            m_styleAt.clear();
        m_styleAt.insert(chunk.end, endsInsideStyle(text, insideStyle));
    }
    // Comments of a page are left alone; a source's comments and strings are what is checked.
    const SpellScope scope{m_mode == Mode::Markup, m_mode == Mode::Source, m_mode == Mode::Source};
    return readerWords(text, roles, scope, insideStyle);
}

void SpellChecking::checkChunk(const Chunk& chunk)
{
    ensureStyled(chunk.end);
    QList<std::pair<qsizetype, qsizetype>> mistakes;
    if (SpellDictionary* dictionary = m_service.dictionary(language())) {
        for (const SpellWord& word : wordsOf(chunk)) {
            if (!dictionary->check(word.word) && !m_ignored.contains(word.word) &&
                !m_service.isPersonalWord(word.word))
                mistakes.append({chunk.start + word.start, chunk.start + word.end});
        }
    }
    // Each change of an indicator on screen repaints it: the marks are changed only where they
    // differ, which after a key is seldom.
    if (marks(chunk.start, chunk.end) != mistakes) {
        fill(MistakeIndicator, chunk.start, chunk.end, false);
        for (const auto& [start, end] : std::as_const(mistakes))
            fill(MistakeIndicator, start, end, true);
    }
    if (uncheckedFrom(chunk.start, chunk.end) < chunk.end)
        fill(CheckedIndicator, chunk.start, chunk.end, true);
}

void SpellChecking::fill(int indicator, qsizetype start, qsizetype end, bool on)
{
    if (end <= start)
        return;
    send(QsciScintillaBase::SCI_SETINDICATORCURRENT, indicator);
    send(on ? QsciScintillaBase::SCI_INDICATORFILLRANGE
            : QsciScintillaBase::SCI_INDICATORCLEARRANGE,
         start, end - start);
}

QList<std::pair<qsizetype, qsizetype>> SpellChecking::marks() const
{
    return marks(0, m_editor->textLength());
}

QList<std::pair<qsizetype, qsizetype>> SpellChecking::marks(qsizetype from, qsizetype to) const
{
    QList<std::pair<qsizetype, qsizetype>> marks;
    qsizetype position = from;
    while (position < to) {
        const qsizetype end = send(QsciScintillaBase::SCI_INDICATOREND, MistakeIndicator, position);
        if (send(QsciScintillaBase::SCI_INDICATORVALUEAT, MistakeIndicator, position))
            marks.append({position, std::min(end, to)});
        if (end <= position)
            break;
        position = end;
    }
    return marks;
}

std::optional<SpellWord> SpellChecking::mistakeAt(qsizetype position)
{
    if (position < 0 || !send(QsciScintillaBase::SCI_INDICATORVALUEAT, MistakeIndicator, position))
        return std::nullopt;
    const qsizetype start = send(QsciScintillaBase::SCI_INDICATORSTART, MistakeIndicator, position);
    const qsizetype end = send(QsciScintillaBase::SCI_INDICATOREND, MistakeIndicator, position);
    const Chunk chunk{boundaryBefore(start),
                      std::min(m_editor->textLength(), end + BoundaryLookBack)};
    for (const SpellWord& word : wordsOf(chunk))
        if (chunk.start + word.start == start && chunk.start + word.end == end)
            return SpellWord{start, end, word.word};
    return std::nullopt;
}

void SpellChecking::forgetWord(const QString& word)
{
    // Marks of the word are checked again; a word spelt with entities is found by its chunk.
    for (const auto& [start, end] : marks()) {
        const QByteArrayView marked = m_editor->rangeBytes(start, end - start);
        if (marked == word.toUtf8() || marked.contains('&')) {
            fill(MistakeIndicator, start, end, false);
            if (marked != word.toUtf8())
                fill(CheckedIndicator, start, end, false);
        }
    }
    showNeeded();
}

bool SpellChecking::selectNextMistake()
{
    const qsizetype length = m_editor->textLength();
    const auto markFrom = [&](qsizetype from) -> qsizetype {
        qsizetype position = from;
        while (position < length) {
            if (send(QsciScintillaBase::SCI_INDICATORVALUEAT, MistakeIndicator, position))
                return position;
            const qsizetype end =
                send(QsciScintillaBase::SCI_INDICATOREND, MistakeIndicator, position);
            if (end <= position)
                break;
            position = end;
        }
        return -1;
    };
    qsizetype from = m_editor->selectionEndPosition();
    if (from < length && send(QsciScintillaBase::SCI_INDICATORVALUEAT, MistakeIndicator, from))
        from = send(QsciScintillaBase::SCI_INDICATOREND, MistakeIndicator, from);
    qsizetype found = markFrom(from);
    if (found < 0)
        found = markFrom(0);
    if (found < 0)
        return false;
    m_editor->moveCaret(found);
    m_editor->selectPositions(
        int(found), int(send(QsciScintillaBase::SCI_INDICATOREND, MistakeIndicator, found)));
    return true;
}

namespace {

void removeSpellingItems(QMenu* menu)
{
    for (QAction* action : menu->actions())
        if (action->property(SpellingActionProperty).toBool()) {
            menu->removeAction(action);
            action->deleteLater();
        }
}

} // namespace

void SpellChecking::addMenuItems(QMenu* menu, qsizetype position)
{
    removeSpellingItems(menu);
    if (!isEnabled())
        return;
    const auto mistake = mistakeAt(position);
    SpellDictionary* dictionary = m_service.dictionary(language());
    if (!mistake || !dictionary)
        return;
    QAction* const first = menu->actions().value(0);
    const auto add = [&](const QString& caption, const QString& name, auto handler) {
        auto* action = new QAction(caption, menu);
        action->setObjectName(name);
        action->setProperty(SpellingActionProperty, true);
        connect(action, &QAction::triggered, this, handler);
        menu->insertAction(first, action);
        return action;
    };
    // The menu is shared by every page and shown from outside the editor too: the items leave
    // it once it has closed (after the one chosen has run), and a correction applies only to the
    // word it was offered for.
    connect(
        menu, &QMenu::aboutToHide, this,
        [menu = QPointer<QMenu>(menu)] {
            if (menu)
                removeSpellingItems(menu);
        },
        static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
    const SpellWord word = *mistake;
    const QByteArray spelt = m_editor->rangeBytes(word.start, word.end - word.start).toByteArray();
    const QStringList suggestions = dictionary->suggest(word.word, MaxSuggestions);
    for (int i = 0; i < suggestions.size(); ++i) {
        const QString suggestion = suggestions[i];
        add(suggestion, QStringLiteral("pupPisownia%1").arg(i + 1),
            [this, word, spelt, suggestion] {
                if (word.end <= m_editor->textLength() &&
                    m_editor->rangeBytes(word.start, word.end - word.start) == spelt)
                    m_editor->replaceRange(word.start, word.end - word.start, suggestion.toUtf8());
            });
    }
    if (suggestions.isEmpty())
        add(QStringLiteral("(brak podpowiedzi)"), QStringLiteral("pupPisowniaBrak"), [] {
        })->setEnabled(false);
    add(QStringLiteral("Dodaj do słownika"), QStringLiteral("pupDodajDoSlownika"),
        [this, word] { m_service.addPersonalWord(word.word); });
    add(QStringLiteral("Ignoruj w tym dokumencie"), QStringLiteral("pupIgnoruj"), [this, word] {
        m_ignored.insert(word.word);
        forgetWord(word.word);
    });
    QAction* separator = menu->insertSeparator(first);
    separator->setProperty(SpellingActionProperty, true);
}
