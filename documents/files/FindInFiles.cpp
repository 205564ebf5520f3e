#include "files/FindInFiles.h"

#include "common/CommandError.h"
#include "encoding/CharsetDetection.h"
#include "encoding/DocumentCodec.h"
#include "encoding/TextLines.h"
#include "files/DocumentReader.h"
#include "files/FileWriter.h"
#include "files/OrderedWork.h"
#include "search/RegexSearch.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <array>
#include <atomic>
#include <bit>
#include <optional>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr qsizetype ProbeBytes = 8 * 1024;
constexpr qint64 LargestFile = (qint64(2) << 30) - 1;
// How much of a long line a match keeps: some of what stands before it, and the rest up to this.
constexpr qsizetype LineBefore = 200;
constexpr qsizetype LineKept = 2000;
// How much text a search of a file read in pieces keeps before the place it goes on from: a
// lookbehind looks back at most 65,535 characters (PCRE2's limit; two units each at most), and a
// match's line text keeps LineBefore.
constexpr qsizetype KeptUnits = 2 * 65536 + 2 * LineBefore;
constexpr int PreviewLines = 3;
constexpr int WriteWorkers = 16;
const QString WordCharacter = QStringLiteral("[\\p{L}\\p{N}\\p{M}_]");
const QByteArray ByteOrderMark("\xEF\xBB\xBF");

using SearchStatus = FileSearchResult::Status;

QString failureReason(const CommandError& error)
{
    const QString& message = error.message();
    const qsizetype newline = message.indexOf(QLatin1Char('\n'));
    return newline < 0 ? message : message.mid(newline + 1);
}

// The character each byte stands for in an 8-bit encoding, as the editor reads it.
const std::array<char16_t, 256>& byteTable(Encoding readAs)
{
    static const auto tables = [] {
        std::array<std::array<char16_t, 256>, 2> result{};
        for (int index = 0; index < 2; ++index)
            for (int b = 0; b < 256; ++b) {
                const QString decoded = QString::fromUtf8(decodeDocument(
                    QByteArray(1, char(b)), index == 0 ? EncodingIso88592 : EncodingCp1250));
                result[index][b] = b == '\r' || b == '\n' ? char16_t(b)
                                   : decoded.size() == 1  ? decoded[0].unicode()
                                                          : char16_t(QChar::ReplacementCharacter);
            }
        return result;
    }();
    return tables[readAs == EncodingIso88592 ? 0 : 1];
}

// The byte each character is written as in an 8-bit file, as the program's saving writes it,
// for the characters that read back as themselves.
const QHash<char16_t, char>& characterTable(Encoding encoding)
{
    static const auto tables = [] {
        std::array<QHash<char16_t, char>, 3> result;
        for (int index = 1; index <= 3; ++index) {
            const Encoding own = *Encoding::fromIndex(index);
            const auto& bytes = byteTable(own.readAs());
            for (int b = 0; b < 256; ++b) {
                const char16_t c = bytes[b];
                if (c == QChar::ReplacementCharacter || c == u'\n' || c == u'\r')
                    continue;
                QByteArray written = encodeDocument(QString(QChar(c)).toUtf8(), own, LineBreak::Lf);
                written.chop(1);
                if (written.size() == 1 && bytes[static_cast<unsigned char>(written[0])] == c)
                    result[index - 1][c] = written[0];
            }
        }
        return result;
    }();
    return tables[encoding.index() - 1];
}

// The characters of 8-bit bytes at `out`.
void decodeBytes(QChar* out, QByteArrayView bytes, Encoding readAs)
{
    const auto& table = byteTable(readAs);
    auto* units = reinterpret_cast<char16_t*>(out);
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < bytes.size(); ++i)
        units[i] = table[in[i]];
}

// Appends the text of a file's bytes, read from `readAs`, as searching sees it: UTF-8 as
// RegexText makes it, the others byte by byte.
void appendText(QString& text, QByteArrayView bytes, Encoding readAs)
{
    if (readAs == EncodingUtf8) {
        appendRegexText(text, bytes);
        return;
    }
    const qsizetype held = text.size();
    text.resize(held + bytes.size());
    decodeBytes(text.data() + held, bytes, readAs);
}

// A file's text as UTF-16, its line breaks as they are, and the way back to its bytes.
struct DecodedFile {
    QByteArray bytes;
    Encoding encoding = EncodingUnknown;
    qsizetype bom = 0;
    QString text;
    std::unique_ptr<RegexText> utf8;

    qsizetype byteOffset(qsizetype unit) const
    {
        return bom + (utf8 ? utf8->byteOffset(unit) : unit);
    }
};

struct LoadedFile {
    SearchStatus status = SearchStatus::Searched;
    QString reason;
    QString target;
    FileStamp stamp;
    DecodedFile file;
};

// The checks before a file is read: what listing it found, a link leading nowhere, a folder, a
// file that is no longer the one listed, a file too large. Searched when it is to be read, from
// `target`.
LoadedFile checkEntry(const SiteEntry& entry)
{
    LoadedFile loaded;
    const auto give = [&](SearchStatus status, const QString& reason) {
        loaded.status = status;
        loaded.reason = reason;
        return std::move(loaded);
    };
    if (!entry.problem.isEmpty())
        return give(SearchStatus::Failed, entry.problem);
    if (!entry.passedBy.isEmpty())
        return give(SearchStatus::Skipped, entry.passedBy);
    const QFileInfo info(entry.path);
    if (info.isSymLink() && !info.exists())
        return give(SearchStatus::Failed,
                    QStringLiteral("łącze symboliczne prowadzi donikąd lub w pętlę"));
    if (info.isDir())
        return give(SearchStatus::Failed, QStringLiteral("to jest folder, a nie plik"));
    loaded.target = comparablePath(entry.path);
    if (!entry.target.isEmpty() && loaded.target != entry.target)
        return give(SearchStatus::Failed, QStringLiteral("plik zmienił się w czasie szukania"));
    if (QFileInfo(loaded.target).size() > LargestFile)
        return give(SearchStatus::Skipped, QStringLiteral("plik ma 2 GB lub więcej"));
    return loaded;
}

// Where the first piece of `bytes` ends: after `pieceBytes`, or the fewest bytes beyond so as
// not to cut a UTF-8 sequence (nor a malformed one: apart, its bytes decode as they do
// together); at the end when there is no such place.
qsizetype pieceEnd(QByteArrayView bytes, qsizetype pieceBytes)
{
    qsizetype cut = qMax<qsizetype>(pieceBytes, 1);
    while (cut < bytes.size() && (uchar(bytes[cut]) & 0xC0) == 0x80)
        ++cut;
    return qMin(cut, bytes.size());
}

bool looksBinary(QByteArrayView start)
{
    return start.first(qMin(start.size(), ProbeBytes)).contains('\0');
}

LoadedFile loadFile(const SiteEntry& entry)
{
    LoadedFile loaded = checkEntry(entry);
    const auto give = [&](SearchStatus status, const QString& reason) {
        loaded.status = status;
        loaded.reason = reason;
        return std::move(loaded);
    };
    if (loaded.status != SearchStatus::Searched)
        return loaded;
    loaded.stamp = fileStamp(loaded.target);
    DocumentRead read;
    try {
        read = readDocument(loaded.target);
    } catch (const CommandError& error) {
        return give(SearchStatus::Failed, failureReason(error));
    }
    DecodedFile& file = loaded.file;
    file.bytes = std::move(read.bytes);
    if (looksBinary(file.bytes))
        return give(SearchStatus::Skipped, QStringLiteral("plik binarny"));
    file.encoding = read.encoding;
    const Encoding readAs = read.encoding.readAs();
    if (readAs == EncodingUtf8) {
        file.bom = file.bytes.startsWith(ByteOrderMark) ? ByteOrderMark.size() : 0;
        file.utf8 = std::make_unique<RegexText>(QByteArrayView(file.bytes).sliced(file.bom));
        file.text = file.utf8->text();
    } else {
        file.text.resize(file.bytes.size());
        decodeBytes(file.text.data(), file.bytes, readAs);
    }
    return loaded;
}

// Every match in the text, in order; empty ones only with `allowEmpty`.
template <typename Found>
void forEachMatch(const QRegularExpression& expression, const QString& text, bool allowEmpty,
                  Found found)
{
    for (qsizetype at = 0; at <= text.size();) {
        // The decoded text is well-formed UTF-16: checking it for every match would cost a pass
        // over the whole file each time.
        const QRegularExpressionMatch match =
            expression.match(text, at, QRegularExpression::NormalMatch,
                             QRegularExpression::DontCheckSubjectStringMatchOption);
        if (!match.isValid())
            throw CommandError(regexRunawayMessage());
        if (!match.hasMatch())
            break;
        at = match.capturedEnd();
        if (match.capturedLength() == 0)
            at += at < text.size() && text[at].isHighSurrogate() ? 2 : 1;
        if (allowEmpty || match.capturedLength() > 0)
            found(match);
    }
}

bool isLineBreak(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

// The first CR or LF in [p, end), or end.
const char16_t* findLineBreak(const char16_t* p, const char16_t* end)
{
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi16('\n'), cr = _mm_set1_epi16('\r');
    for (; end - p >= 8; p += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned found = unsigned(_mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi16(units, lf), _mm_cmpeq_epi16(units, cr))));
        if (found)
            return p + std::countr_zero(found) / 2;
    }
#endif
    while (p < end && !isLineBreak(*p))
        ++p;
    return p;
}

// Line numbers and columns of rising positions in a text whose lines end in CR LF, CR or LF.
// Positions count from the start of the whole text; `text` may hold only the part from
// origin() on, as long as the part before was let go through dropFront().
class LineCursor {
public:
    explicit LineCursor(const QString& text) : m_text(text) {}

    void advanceTo(qsizetype position)
    {
        const char16_t* const units = reinterpret_cast<const char16_t*>(m_text.constData());
        const char16_t* const textEnd = units + m_text.size();
        const char16_t* p = units + (m_scanned - m_origin);
        const char16_t* const end = units + (position - m_origin);
        while ((p = findLineBreak(p, end)) < end) {
            if (*p == u'\n' || p + 1 >= textEnd || p[1] != u'\n') {
                ++m_line;
                m_lineStart = m_origin + (p - units) + 1;
            }
            ++p;
        }
        m_scanned = qMax(m_scanned, position);
    }
    qsizetype line() const { return m_line; }
    qsizetype lineStart() const { return m_lineStart; }
    // The column (from 1, in characters) of a position on the current line, counted on from the
    // one asked for before when it lies on the same line.
    qsizetype columnOf(qsizetype position)
    {
        if (m_columnAt < m_lineStart || m_columnAt > position) {
            m_columnAt = m_lineStart;
            m_column = 1;
        }
        const QChar* units = m_text.constData();
        for (qsizetype i = m_columnAt - m_origin; i < position - m_origin; ++i)
            if (!units[i].isLowSurrogate())
                ++m_column;
        m_columnAt = position;
        return m_column;
    }
    // Where the line holding `from` ends, looked for no further than `limit`: beyond `limit`
    // when it goes on past it.
    qsizetype lineEnd(qsizetype from, qsizetype limit) const
    {
        const auto* units = reinterpret_cast<const char16_t*>(m_text.constData());
        const qsizetype size = m_origin + m_text.size();
        const qsizetype stop = qMin(limit, size);
        const qsizetype end =
            m_origin +
            (findLineBreak(units + (from - m_origin), units + (stop - m_origin)) - units);
        return end == limit && limit < size && !isLineBreak(units[limit - m_origin]) ? limit + 1
                                                                                     : end;
    }
    QChar at(qsizetype position) const { return m_text[position - m_origin]; }
    QString mid(qsizetype position, qsizetype length) const
    {
        return m_text.mid(position - m_origin, length);
    }
    qsizetype origin() const { return m_origin; }
    qsizetype end() const { return m_origin + m_text.size(); }
    // The text lets go of its first `units`: their lines and columns are counted first.
    void dropFront(qsizetype units)
    {
        const qsizetype to = m_origin + units;
        if (m_scanned < to) {
            advanceTo(to);
            columnOf(to);
        }
        m_origin = to;
    }

private:
    const QString& m_text;
    qsizetype m_origin = 0;
    qsizetype m_line = 1;
    qsizetype m_lineStart = 0;
    qsizetype m_scanned = 0;
    qsizetype m_columnAt = 0;
    qsizetype m_column = 1;
};

// The match at [start, end); none when the text may not yet hold as much of its line as is
// kept (`textEnds` false: more text is to come).
std::optional<FileMatch> describeMatch(LineCursor& lines, qsizetype start, qsizetype end,
                                       bool textEnds = true)
{
    lines.advanceTo(start);
    FileMatch match;
    match.line = lines.line();
    const qsizetype lineStart = lines.lineStart();
    match.column = lines.columnOf(start);
    // A long line is kept only around the match.
    qsizetype keptStart = qMax(lineStart, start - LineBefore);
    if (keptStart > lineStart && lines.at(keptStart).isLowSurrogate())
        --keptStart;
    const qsizetype lineEnd = lines.lineEnd(start, keptStart + LineKept);
    if (!textEnds && lineEnd == lines.end() && keptStart + LineKept >= lines.end())
        return std::nullopt;
    qsizetype keptEnd = qMin(lineEnd, keptStart + LineKept);
    if (keptEnd < lineEnd && keptEnd > keptStart && lines.at(keptEnd - 1).isHighSurrogate())
        --keptEnd;
    keptEnd = qMax(keptEnd, qMin(start, lineEnd));
    match.lineText = lines.mid(keptStart, keptEnd - keptStart);
    match.matchStart = start - keptStart;
    match.matchLength = qMax<qsizetype>(0, qMin(end, keptEnd) - start);
    return match;
}

// Searches a file's text handed over a piece at a time (cut anywhere but within a character),
// finding what forEachMatch() and describeMatch() find in the whole text while holding only the
// piece and some text before it. A match that may go on past a piece (PCRE2's hard partial
// match), or whose line may, is looked for again with the next piece joined on.
class PieceSearch {
public:
    PieceSearch(const QRegularExpression& expression, QList<FileMatch>& matches)
        : m_expression(expression), m_matches(matches)
    {
    }

    // The text of the next piece is appended here, then search() called.
    QString& text() { return m_text; }

    void search(bool last)
    {
        const qsizetype origin = m_lines.origin();
        // A match left waiting is looked for again once its text is twice as long, so that one
        // running through the whole file is not sought again with every piece.
        if (!last && origin + m_text.size() < m_searchAgainAt)
            return;
        // The line breaks at the end wait for the next piece: "^" just after them, at the end of
        // what is searched, would not be taken for the start of a line.
        qsizetype end = m_text.size();
        while (!last && end > 0 && isLineBreak(m_text[end - 1].unicode()))
            --end;
        const QStringView subject(m_text.constData(), end);
        qsizetype from = m_at - origin;
        while (from <= end) {
            const QRegularExpressionMatch match =
                m_expression.match(subject, from,
                                   last ? QRegularExpression::NormalMatch
                                        : QRegularExpression::PartialPreferFirstMatch,
                                   QRegularExpression::DontCheckSubjectStringMatchOption);
            if (!match.isValid())
                throw CommandError(regexRunawayMessage());
            if (match.hasPartialMatch()) {
                from = match.capturedStart();
                m_searchAgainAt = origin + end + (end - from);
                break;
            }
            if (!match.hasMatch()) {
                from = end;
                break;
            }
            const qsizetype start = match.capturedStart();
            const qsizetype matchEnd = match.capturedEnd();
            if (start == matchEnd && start == end && !last) {
                from = end; // what follows may be part of it
                break;
            }
            if (start < matchEnd) {
                std::optional<FileMatch> found =
                    describeMatch(m_lines, origin + start, origin + matchEnd, last);
                if (!found) {
                    from = start; // found again once the rest of its line is there
                    m_searchAgainAt = origin + end + (end - from);
                    break;
                }
                m_matches << std::move(*found);
            }
            from = matchEnd;
            if (start == matchEnd)
                from += from < m_text.size() && m_text[from].isHighSurrogate() ? 2 : 1;
            m_at = origin + from;
        }
        if (last)
            return;
        m_at = origin + qMin(from, end);
        // What lies well before the place the search goes on from is let go.
        qsizetype drop = qMax<qsizetype>(0, m_at - origin - KeptUnits);
        if (drop > 0 && m_text[drop].isLowSurrogate())
            --drop;
        if (drop > 0) {
            m_lines.dropFront(drop);
            m_text.remove(0, drop);
        }
    }

private:
    const QRegularExpression& m_expression;
    QList<FileMatch>& m_matches;
    QString m_text;
    LineCursor m_lines{m_text};
    // Where the search goes on, counted from the start of the file's text.
    qsizetype m_at = 0;
    // How far the text is to reach before it is searched again.
    qsizetype m_searchAgainAt = 0;
};

// The replacement as the file's bytes: its own encoding and line break; characters the
// encoding cannot hold counted, and written as HTML references when asked for.
QByteArray encodeReplacement(QString text, const DecodedFile& file, QByteArrayView lineBreak,
                             bool references, int* unrepresentable)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QByteArray bytes;
    if (file.utf8) {
        bytes = text.toUtf8();
    } else {
        const QHash<char16_t, char>& table = characterTable(file.encoding);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const auto found = table.constFind(text[i].unicode());
            if (found != table.constEnd() && text[i] != u'\n') {
                bytes += *found;
                continue;
            }
            if (text[i] == u'\n') {
                bytes += '\n';
                continue;
            }
            char32_t c = text[i].unicode();
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
                c = QChar::surrogateToUcs4(text[i], text[i + 1]);
                ++i;
            }
            ++*unrepresentable;
            bytes += references ? QByteArray("&#") + QByteArray::number(uint(c)) + ';' : "?";
        }
    }
    if (lineBreak != "\n")
        bytes.replace("\n", lineBreak);
    return bytes;
}

} // namespace

FileSearchPattern::FileSearchPattern(const FindQuery& query) : m_query(query)
{
    QString pattern = query.regularExpression ? query.text : QRegularExpression::escape(query.text);
    if (query.wholeWord)
        pattern = query.regularExpression
                      ? QStringLiteral("\\b(?:") + pattern + QStringLiteral(")\\b")
                      : QStringLiteral("(?<!%1)(?:").arg(WordCharacter) + pattern +
                            QStringLiteral(")(?!%1)").arg(WordCharacter);
    // Lines end at CR LF, CR or LF, as the files' own do.
    pattern.prepend(QStringLiteral("(*ANYCRLF)"));
    QRegularExpression::PatternOptions options =
        QRegularExpression::UseUnicodePropertiesOption | QRegularExpression::MultilineOption;
    if (!query.matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    m_expression.setPatternOptions(options);
    m_expression.setPattern(pattern);
    if (query.text.isEmpty())
        m_expression.setPattern(QStringLiteral("("));
    if (m_expression.isValid())
        m_expression.optimize();
}

QString FileSearchPattern::errorMessage() const
{
    if (m_query.text.isEmpty())
        return QStringLiteral("Podaj szukany tekst.");
    // The messages of the editor's own expressions, positions counted in the text as typed.
    return RegexPattern(m_query.text, m_query.matchCase, m_query.wholeWord).errorMessage();
}

std::function<bool(const QString&)> fileNameFilter(const QString& patterns)
{
    QList<QRegularExpression> expressions;
    for (const QString& pattern :
         patterns.split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts))
        expressions << QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern),
                                          QRegularExpression::CaseInsensitiveOption);
    return [expressions](const QString& name) {
        if (expressions.isEmpty())
            return true;
        for (const QRegularExpression& expression : expressions)
            if (expression.match(name).hasMatch())
                return true;
        return false;
    };
}

QList<SiteEntry> collectFilesToSearch(const QStringList& paths, const QString& patterns)
{
    return collectSiteFiles(paths, fileNameFilter(patterns));
}

FileSearchResult searchFile(const SiteEntry& entry, const FileSearchPattern& pattern,
                            qsizetype pieceBytes)
{
    FileSearchResult result;
    result.path = entry.path;
    const LoadedFile checked = checkEntry(entry);
    result.status = checked.status;
    result.reason = checked.reason;
    if (checked.status != SearchStatus::Searched)
        return result;
    const auto give = [&](SearchStatus status, const QString& reason) {
        result.status = status;
        result.reason = reason;
        result.encoding.clear();
        result.matches.clear();
        return result;
    };
    // The file is read a piece at a time, twice when its encoding is not told by its first
    // piece: first for the encoding, then for the search.
    struct EncodingFound {};
    QFile file(checked.target);
    try {
        openForReading(file);
    } catch (const CommandError& error) {
        return give(SearchStatus::Failed, failureReason(error));
    }
    try {
        if (looksBinary(file.read(ProbeBytes)))
            return give(SearchStatus::Skipped, QStringLiteral("plik binarny"));
        // A file that changes while it is read is read again, once.
        for (int attempt = 0;; ++attempt) {
            const qint64 size = file.size();
            // No more room than the file needs.
            const qsizetype readBytes = qsizetype(qBound<qint64>(1, size, pieceBytes));
            EncodingEvidence detection;
            const auto encoding = [&] {
                return Encoding::fromName(detection.encodingName()).value_or(EncodingUnknown);
            };
            std::optional<PieceSearch> search;
            bool first = true;
            const auto searchPiece = [&](QByteArrayView piece, bool last) {
                const Encoding readAs = encoding().readAs();
                if (first && readAs == EncodingUtf8 && piece.startsWith(ByteOrderMark))
                    piece = piece.sliced(ByteOrderMark.size());
                first = false;
                // A line longer than a piece is searched a piece at a time.
                for (qsizetype cut; (cut = pieceEnd(piece, pieceBytes)) < piece.size();) {
                    appendText(search->text(), piece.first(cut), readAs);
                    search->search(false);
                    piece = piece.sliced(cut);
                }
                appendText(search->text(), piece, readAs);
                search->search(last);
            };
            const auto start = [&] {
                result.matches.clear();
                result.encoding = encoding().name();
                search.emplace(pattern.expression(), result.matches);
            };
            const auto detect = [&](QByteArrayView piece, bool last) {
                detection.add(piece);
                if (first && last) {
                    // The whole file in one piece: searched at once.
                    start();
                    searchPiece(piece, last);
                } else if (detection.settled()) {
                    throw EncodingFound();
                }
                first = false;
            };
            const auto searchFromStart = [&] {
                first = true;
                start();
                return readFileInLinePieces(file, size, readBytes, searchPiece);
            };
            bool read = false;
            try {
                read = readFileInLinePieces(file, size, readBytes, detect);
                if (read && !search)
                    read = searchFromStart();
            } catch (const EncodingFound&) {
                read = searchFromStart();
            }
            if (read)
                break;
            if (file.error() != QFileDevice::NoError)
                return give(SearchStatus::Failed, systemErrorText(errno));
            if (attempt > 0)
                return give(SearchStatus::Failed,
                            QStringLiteral("plik zmienił się w czasie szukania"));
        }
    } catch (const CommandError& error) {
        // An expression that needs more steps than allowed: what it found before is kept.
        result.status = SearchStatus::Failed;
        result.reason = error.message().section(QLatin1Char('\r'), 0, 0);
    }
    return result;
}

qsizetype searchFiles(const QList<SiteEntry>& entries, const FileSearchPattern& pattern,
                      const std::function<void(qsizetype, const FileSearchResult&)>& done,
                      const std::function<bool()>& stop)
{
    return runInOrder<FileSearchResult>(
        entries.size(), [&](qsizetype i) { return searchFile(entries[i], pattern); }, done, stop);
}

FileReplacement planFileReplacement(const SiteEntry& entry, const FileSearchPattern& pattern,
                                    const QString& replacement, bool characterReferences)
{
    FileReplacement plan;
    plan.path = entry.path;
    plan.characterReferences = characterReferences;
    LoadedFile loaded = loadFile(entry);
    plan.status = loaded.status;
    plan.reason = loaded.reason;
    if (loaded.status != SearchStatus::Searched)
        return plan;
    plan.target = loaded.target;
    plan.stamp = loaded.stamp;
    DecodedFile& file = loaded.file;
    plan.encoding = file.encoding.name();
    const QString& text = file.text;
    const QByteArray& bytes = file.bytes;
    const QByteArrayView lineBreak = lineBreakBytes(detectLineBreak(bytes));
    const bool expression = pattern.query().regularExpression;
    LineCursor lines(text);
    QByteArray output;
    qsizetype copied = 0;
    qsizetype lastPreviewLine = 0;
    try {
        forEachMatch(pattern.expression(), text, expression,
                     [&](const QRegularExpressionMatch& match) {
                         const QString piece =
                             expression ? expandReplacement(replacement, match) : replacement;
                         const qsizetype start = file.byteOffset(match.capturedStart());
                         const qsizetype end = file.byteOffset(match.capturedEnd());
                         if (output.isEmpty())
                             output.reserve(bytes.size() + bytes.size() / 8);
                         output.append(bytes.constData() + copied, start - copied);
                         output.append(encodeReplacement(
                             piece, file, lineBreak, characterReferences, &plan.unrepresentable));
                         copied = end;
                         ++plan.count;
                         if (plan.preview.size() < PreviewLines) {
                             const FileMatch found =
                                 *describeMatch(lines, match.capturedStart(), match.capturedEnd());
                             if (found.line != lastPreviewLine) {
                                 lastPreviewLine = found.line;
                                 QString after = found.lineText;
                                 after.replace(found.matchStart, found.matchLength, piece);
                                 plan.preview << ChangedLine{found.line, found.lineText, after};
                             }
                         }
                     });
    } catch (const CommandError& error) {
        plan.status = SearchStatus::Failed;
        plan.reason = error.message().section(QLatin1Char('\r'), 0, 0);
        plan.count = 0;
        return plan;
    }
    if (plan.count == 0)
        return plan;
    output.append(bytes.constData() + copied, bytes.size() - copied);
    plan.original = bytes;
    if (plan.unrepresentable > 0 && !characterReferences) {
        plan.status = SearchStatus::Skipped;
        plan.reason = QStringLiteral("zamiana wstawiłaby znaki spoza kodowania %1: %2")
                          .arg(plan.encoding)
                          .arg(plan.unrepresentable);
        return plan;
    }
    plan.replaced = std::move(output);
    return plan;
}

qsizetype planFileReplacements(const QList<SiteEntry>& entries, const FileSearchPattern& pattern,
                               const QString& replacement, bool characterReferences,
                               const std::function<void(qsizetype, const FileReplacement&)>& done,
                               const std::function<bool()>& stop)
{
    return runInOrder<FileReplacement>(
        entries.size(),
        [&](qsizetype i) {
            return planFileReplacement(entries[i], pattern, replacement, characterReferences);
        },
        done, stop);
}

QString newBackupFolder(const QString& dataFolder)
{
    const QString base =
        QDir(dataFolder)
            .filePath(QStringLiteral("kopie-zamian/") +
                      QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")));
    QString folder = base;
    for (int n = 2; QFileInfo::exists(folder); ++n)
        folder = base + QStringLiteral("-%1").arg(n);
    return folder;
}

int removeOldBackups(const QString& dataFolder, int days, const QDateTime& now)
{
    int removed = 0;
    QDir root(QDir(dataFolder).filePath(QStringLiteral("kopie-zamian")));
    for (const QString& name : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QDateTime made =
            QDateTime::fromString(name.left(19), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
        const QFileInfo folder(root.filePath(name));
        if (made.isValid() && !folder.isSymLink() && made.addDays(days) < now &&
            QDir(folder.filePath()).removeRecursively())
            ++removed;
    }
    return removed;
}

QList<FileWriteOutcome> applyFileReplacements(const QList<FileReplacement>& plans,
                                              const QString& backupFolder, ReplacementRun* run)
{
    QList<FileWriteOutcome> outcomes;
    run->backupFolder = backupFolder;
    run->files.clear();
    // The copies first: without all of them, nothing is written.
    QList<const FileReplacement*> changing;
    for (const FileReplacement& plan : plans)
        if (plan.changes())
            changing << &plan;
    if (changing.isEmpty())
        return outcomes;
    QList<QString> backups;
    try {
        if (!QDir().mkpath(backupFolder))
            throw CommandError(
                QStringLiteral("\nNie można utworzyć folderu kopii %1.").arg(backupFolder));
        // Each copy under the file's own path, so that the copies keep the site's folders.
        QByteArray list;
        for (const FileReplacement* plan : changing) {
            const QString relative = QDir::cleanPath(plan->target).mid(QDir::rootPath().size());
            backups << QDir(backupFolder).filePath(relative);
            if (!QDir().mkpath(QFileInfo(backups.last()).path()))
                throw CommandError(QStringLiteral("\nNie można utworzyć folderu %1.")
                                       .arg(QFileInfo(backups.last()).path()));
            list += (relative + QLatin1Char('\t') + plan->target + QLatin1Char('\n')).toUtf8();
        }
        QString failure;
        std::atomic<bool> failed = false;
        runInOrder<QString>(
            changing.size(),
            [&](qsizetype i) {
                try {
                    // The old file itself under a second name where that keeps its bytes.
                    if (!linkUnsyncedCopy(changing[i]->target, backups[i],
                                          changing[i]->stamp.inode))
                        writeUnsyncedCopy(backups[i], changing[i]->original);
                } catch (const CommandError& error) {
                    failed = true;
                    return failureReason(error);
                }
                return QString();
            },
            [&](qsizetype, const QString& reason) {
                if (failure.isEmpty())
                    failure = reason;
            },
            [&] { return failed.load(); }, WriteWorkers);
        if (failure.isEmpty())
            failure = syncFileSystem(backupFolder);
        if (!failure.isEmpty())
            throw CommandError(QStringLiteral("\n") + failure);
        writeWholeFile(QDir(backupFolder).filePath(QStringLiteral("pliki.txt")), list,
                       WriteTarget::ThisNameOnly);
    } catch (const CommandError& error) {
        // A link left behind would change with its file.
        for (const QString& backup : backups)
            QFile::remove(backup);
        for (const FileReplacement* plan : changing)
            outcomes << FileWriteOutcome{
                plan->path, false,
                QStringLiteral("nie zapisano kopii: %1").arg(failureReason(error))};
        return outcomes;
    }
    // Several files at a time: each write waits for the disk.
    runInOrder<std::pair<FileWriteOutcome, FileStamp>>(
        changing.size(),
        [&](qsizetype i) {
            const FileReplacement& plan = *changing[i];
            std::pair<FileWriteOutcome, FileStamp> done{{plan.path, false, {}}, {}};
            FileWriteOutcome& outcome = done.first;
            try {
                // Another program's change since the preview is never written over.
                if (fileStamp(plan.target) != plan.stamp ||
                    readWholeFile(plan.target) != plan.original) {
                    outcome.reason = QStringLiteral("plik zmienił się na dysku po podglądzie");
                } else {
                    writeWholeFile(plan.target, plan.replaced, WriteTarget::ThisFile, backups[i]);
                    outcome.written = true;
                    done.second = fileStamp(plan.target);
                }
            } catch (const CommandError& error) {
                outcome.reason = failureReason(error);
                // A write can fail after the new file took the old one's place (its folder not
                // synced): the copy then holds the only old bytes there are, and stays to be
                // put back.
                if (const FileStamp now = fileStamp(plan.target); now != plan.stamp)
                    done.second = now;
            }
            // The copy of a file not written would be a link that changes with it.
            if (!done.second.exists)
                QFile::remove(backups[i]);
            return done;
        },
        [&](qsizetype i, const std::pair<FileWriteOutcome, FileStamp>& done) {
            if (done.second.exists)
                run->files << ReplacementRun::File{changing[i]->path, changing[i]->target,
                                                   backups[i], done.second};
            outcomes << done.first;
        },
        {}, WriteWorkers);
    return outcomes;
}

QList<FileWriteOutcome> undoFileReplacements(const ReplacementRun& run)
{
    QList<FileWriteOutcome> outcomes;
    runInOrder<FileWriteOutcome>(
        run.files.size(),
        [&](qsizetype i) {
            const ReplacementRun::File& file = run.files[i];
            FileWriteOutcome outcome{file.path, false, {}};
            try {
                if (fileStamp(file.target) != file.written) {
                    outcome.reason = QStringLiteral("plik zmienił się po zamianie");
                } else {
                    writeWholeFile(file.target, readWholeFile(file.backup), WriteTarget::ThisFile);
                    outcome.written = true;
                }
            } catch (const CommandError& error) {
                outcome.reason = failureReason(error);
            }
            return outcome;
        },
        [&](qsizetype, const FileWriteOutcome& outcome) { outcomes << outcome; }, {}, WriteWorkers);
    return outcomes;
}
