#include "files/FindInFiles.h"

#include "common/CommandError.h"
#include "encoding/DocumentCodec.h"
#include "encoding/TextLines.h"
#include "files/DocumentReader.h"
#include "files/FileWriter.h"
#include "files/OrderedWork.h"
#include "search/RegexSearch.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <array>
#include <atomic>

namespace {

constexpr qsizetype ProbeBytes = 8 * 1024;
constexpr qint64 LargestFile = (qint64(2) << 30) - 1;
// How much of a long line a match keeps: some of what stands before it, and the rest up to this.
constexpr qsizetype LineBefore = 200;
constexpr qsizetype LineKept = 2000;
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

LoadedFile loadFile(const SiteEntry& entry)
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
    loaded.stamp = fileStamp(loaded.target);
    DocumentRead read;
    try {
        read = readDocument(loaded.target);
    } catch (const CommandError& error) {
        return give(SearchStatus::Failed, failureReason(error));
    }
    DecodedFile& file = loaded.file;
    file.bytes = std::move(read.bytes);
    if (QByteArrayView(file.bytes).first(qMin(file.bytes.size(), ProbeBytes)).contains('\0'))
        return give(SearchStatus::Skipped, QStringLiteral("plik binarny"));
    file.encoding = read.encoding;
    const Encoding readAs = read.encoding.readAs();
    if (readAs == EncodingUtf8) {
        file.bom = file.bytes.startsWith(ByteOrderMark) ? ByteOrderMark.size() : 0;
        file.utf8 = std::make_unique<RegexText>(QByteArrayView(file.bytes).sliced(file.bom));
        file.text = file.utf8->text();
    } else {
        const auto& table = byteTable(readAs);
        file.text.resize(file.bytes.size());
        auto* units = reinterpret_cast<char16_t*>(file.text.data());
        const auto* bytes = reinterpret_cast<const unsigned char*>(file.bytes.constData());
        for (qsizetype i = 0; i < file.bytes.size(); ++i)
            units[i] = table[bytes[i]];
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

// Line numbers of rising positions in a text whose lines end in CR LF, CR or LF.
class LineCursor {
public:
    explicit LineCursor(const QString& text) : m_text(text) {}

    void advanceTo(qsizetype position)
    {
        const QChar* units = m_text.constData();
        for (qsizetype i = m_scanned; i < position; ++i) {
            const char16_t c = units[i].unicode();
            if (c == u'\n' || (c == u'\r' && (i + 1 >= m_text.size() || units[i + 1] != u'\n'))) {
                ++m_line;
                m_lineStart = i + 1;
            }
        }
        m_scanned = qMax(m_scanned, position);
    }
    qsizetype line() const { return m_line; }
    qsizetype lineStart() const { return m_lineStart; }
    // The column (from 1, in characters) of a position on the current line, counted on from the
    // one asked for before when it lies on the same line.
    qsizetype columnOf(qsizetype position)
    {
        if (m_columnLineStart != m_lineStart || m_columnAt > position) {
            m_columnLineStart = m_lineStart;
            m_columnAt = m_lineStart;
            m_column = 1;
        }
        const QChar* units = m_text.constData();
        for (qsizetype i = m_columnAt; i < position; ++i)
            if (!units[i].isLowSurrogate())
                ++m_column;
        m_columnAt = position;
        return m_column;
    }
    qsizetype lineEnd(qsizetype from) const
    {
        const QChar* units = m_text.constData();
        qsizetype end = from;
        while (end < m_text.size() && units[end] != u'\n' && units[end] != u'\r')
            ++end;
        return end;
    }

private:
    const QString& m_text;
    qsizetype m_line = 1;
    qsizetype m_lineStart = 0;
    qsizetype m_scanned = 0;
    qsizetype m_columnLineStart = -1;
    qsizetype m_columnAt = 0;
    qsizetype m_column = 1;
};

FileMatch describeMatch(const QString& text, LineCursor& lines, qsizetype start, qsizetype end)
{
    lines.advanceTo(start);
    FileMatch match;
    match.line = lines.line();
    const qsizetype lineStart = lines.lineStart();
    match.column = lines.columnOf(start);
    const qsizetype lineEnd = lines.lineEnd(start);
    // A long line is kept only around the match.
    qsizetype keptStart = qMax(lineStart, start - LineBefore);
    if (keptStart > lineStart && text[keptStart].isLowSurrogate())
        --keptStart;
    qsizetype keptEnd = qMin(lineEnd, keptStart + LineKept);
    if (keptEnd < lineEnd && keptEnd > keptStart && text[keptEnd - 1].isHighSurrogate())
        --keptEnd;
    keptEnd = qMax(keptEnd, qMin(start, lineEnd));
    match.lineText = text.mid(keptStart, keptEnd - keptStart);
    match.matchStart = start - keptStart;
    match.matchLength = qMax<qsizetype>(0, qMin(end, keptEnd) - start);
    return match;
}

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

FileSearchResult searchFile(const SiteEntry& entry, const FileSearchPattern& pattern)
{
    FileSearchResult result;
    result.path = entry.path;
    LoadedFile loaded = loadFile(entry);
    result.status = loaded.status;
    result.reason = loaded.reason;
    if (loaded.status != SearchStatus::Searched)
        return result;
    const QString& text = loaded.file.text;
    result.encoding = loaded.file.encoding.name();
    LineCursor lines(text);
    try {
        forEachMatch(pattern.expression(), text, false, [&](const QRegularExpressionMatch& match) {
            result.matches << describeMatch(text, lines, match.capturedStart(),
                                            match.capturedEnd());
        });
    } catch (const CommandError& error) {
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
        forEachMatch(
            pattern.expression(), text, expression, [&](const QRegularExpressionMatch& match) {
                const QString piece =
                    expression ? expandReplacement(replacement, match) : replacement;
                const qsizetype start = file.byteOffset(match.capturedStart());
                const qsizetype end = file.byteOffset(match.capturedEnd());
                if (output.isEmpty())
                    output.reserve(bytes.size() + bytes.size() / 8);
                output.append(bytes.constData() + copied, start - copied);
                output.append(encodeReplacement(piece, file, lineBreak, characterReferences,
                                                &plan.unrepresentable));
                copied = end;
                ++plan.count;
                if (plan.preview.size() < PreviewLines) {
                    const FileMatch found =
                        describeMatch(text, lines, match.capturedStart(), match.capturedEnd());
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
            }
            // The copy of a file not written would be a link that changes with it.
            if (!outcome.written)
                QFile::remove(backups[i]);
            return done;
        },
        [&](qsizetype i, const std::pair<FileWriteOutcome, FileStamp>& done) {
            if (done.first.written)
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
