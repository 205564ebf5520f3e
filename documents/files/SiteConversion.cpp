#include "files/SiteConversion.h"

#include "common/CommandError.h"
#include "encoding/CharsetDeclaration.h"
#include "encoding/CharsetDetection.h"
#include "encoding/SiteDeclarations.h"
#include "files/DocumentReader.h"
#include "files/FileAccess.h"
#include "files/OrderedWork.h"
#include "files/SiteBackup.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace {

constexpr qsizetype BinaryProbeBytes = 8 * 1024;

// The Polish reason a file operation failed: the second line of the error's message.
QString reasonOf(const CommandError& error)
{
    const QString& message = error.message();
    const qsizetype newline = message.indexOf(QLatin1Char('\n'));
    return newline < 0 ? message : message.mid(newline + 1);
}

bool isAscii(QByteArrayView bytes)
{
    for (char byte : bytes)
        if (static_cast<unsigned char>(byte) >= 0x80)
            return false;
    return true;
}

// The canonical paths a conversion may write under.
struct Roots {
    QStringList paths;
    bool contain(const QString& target) const
    {
        for (const QString& root : paths)
            if (target == root ||
                target.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/')))
                return true;
        return false;
    }
};

using NameFilter = std::function<bool(const QString&)>;

void addFile(const QFileInfo& file, const QString& relative, const Roots& roots,
             QList<SiteEntry>& entries, QSet<QString>& seen, const NameFilter& wanted)
{
    const QString target = comparablePath(file.filePath());
    if (file.isSymLink() && file.exists()) {
        if (!roots.contain(target)) {
            // A server's settings left as they are still override the pages below them.
            entries.append({file.filePath(),
                            {},
                            file.fileName() == QLatin1String(".htaccess")
                                ? QStringLiteral("dowiązanie poza folderem; jego ustawienia "
                                                 "serwera nadal obowiązują, sprawdź je")
                                : QStringLiteral("dowiązanie poza folderem"),
                            {},
                            {}});
            return;
        }
        // A server's settings are taken under the name the server reads, whatever the file
        // it leads to is called.
        if (!wanted(QFileInfo(target).fileName()) &&
            !(file.fileName() == QLatin1String(".htaccess") && wanted(file.fileName())))
            return;
    }
    // A broken or looping link reaches the conversion and is reported there.
    if (!seen.contains(target)) {
        seen.insert(target);
        entries.append({file.filePath(), {}, {}, target, relative});
    }
}

void walkFolder(const QString& folder, const QString& relative, const Roots& roots,
                QList<SiteEntry>& entries, QSet<QString>& seen, const NameFilter& wanted)
{
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isReadable() || !folderInfo.isExecutable()) {
        entries.append({folder, QStringLiteral("brak uprawnień do odczytu folderu"), {}, {}, {}});
        return;
    }
    const QFileInfoList children = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& child : children) {
        if (child.isSymLink() && child.isDir())
            continue;
        if (child.isDir()) {
            if (!child.fileName().startsWith(QLatin1Char('.')))
                walkFolder(child.filePath(), relative + QLatin1Char('/') + child.fileName(), roots,
                           entries, seen, wanted);
            continue;
        }
        if (wanted(child.fileName()))
            addFile(child, relative + QLatin1Char('/') + child.fileName(), roots, entries, seen,
                    wanted);
    }
}

} // namespace

namespace {
const QStringList& siteSuffixes()
{
    static const QStringList suffixes = {
        "htm",   "html", "xml", "xsd", "xsl", "xslt", "dtd", "css", "java", "js",  "php", "php3",
        "phtml", "inc",  "pl",  "pm",  "cgi", "py",   "c",   "cpp", "h",    "hpp", "sql", "txt"};
    return suffixes;
}
} // namespace

QStringList siteFilePatterns()
{
    QStringList patterns;
    for (const QString& suffix : siteSuffixes())
        patterns << QStringLiteral("*.") + suffix;
    return patterns << QStringLiteral(".htaccess");
}

bool isSiteFileName(const QString& fileName)
{
    if (fileName == QLatin1String(".htaccess"))
        return true;
    static const QSet<QString> suffixes(siteSuffixes().begin(), siteSuffixes().end());
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot > 0 && suffixes.contains(fileName.mid(dot + 1).toLower());
}

QList<SiteEntry> collectSiteFiles(const QStringList& paths)
{
    return collectSiteFiles(paths, isSiteFileName);
}

QList<SiteEntry> collectSiteFiles(const QStringList& paths,
                                  const std::function<bool(const QString&)>& wanted)
{
    QList<SiteEntry> entries;
    QSet<QString> seen;
    Roots roots;
    for (const QString& path : paths)
        roots.paths << comparablePath(path);
    for (const QString& path : paths) {
        const QFileInfo info(path);
        if (info.isDir()) {
            QString name = QFileInfo(comparablePath(path)).fileName();
            walkFolder(path, name.isEmpty() ? QStringLiteral("katalog-glowny") : name, roots,
                       entries, seen, wanted);
        } else if (!seen.contains(comparablePath(path))) {
            // A file named on its own is taken as named, a link among them.
            seen.insert(comparablePath(path));
            entries.append({path, {}, {}, comparablePath(path), info.fileName()});
        }
    }
    return entries;
}

QString describeOutcome(const FileConversion& conversion, bool written, const QString& planned)
{
    QString status;
    switch (conversion.outcome) {
    case FileConversion::Outcome::Changed:
        status = written ? QStringLiteral("zmieniony") : planned;
        break;
    case FileConversion::Outcome::Unchanged:
        status = QStringLiteral("bez zmian");
        break;
    case FileConversion::Outcome::Skipped:
        status = QStringLiteral("pominięty");
        break;
    case FileConversion::Outcome::Failed:
        status = QStringLiteral("błąd");
        break;
    }
    return conversion.reason.isEmpty()
               ? status
               : status + QStringLiteral(" (") + conversion.reason + QLatin1Char(')');
}

QString describeUnrepresentable(const UnrepresentableReport& report)
{
    QStringList places;
    for (const UnrepresentableCharacter& found : report.first)
        places << QStringLiteral("%1:%2 „%3” (U+%4)")
                      .arg(found.line)
                      .arg(found.column)
                      .arg(QString::fromUcs4(&found.character, 1))
                      .arg(QString::number(uint(found.character), 16)
                               .toUpper()
                               .rightJustified(4, QLatin1Char('0')));
    QString text = places.join(QLatin1String(", "));
    if (report.count > report.first.size())
        text += QStringLiteral(", …");
    return text;
}

namespace {

QString lineBreakName(QByteArrayView bytes, LineBreak written)
{
    switch (written) {
    case LineBreak::Lf:
        return QStringLiteral("LF (zachowane)");
    case LineBreak::Cr:
        return QStringLiteral("CR (zachowane)");
    case LineBreak::CrLf:
        break;
    }
    if (!bytes.contains('\n') && !bytes.contains('\r'))
        return QStringLiteral("brak podziałów, zapisany z CR LF");
    const qsizetype crlf = bytes.count("\r\n");
    return crlf == bytes.count('\n') && crlf == bytes.count('\r')
               ? QStringLiteral("CR LF (zachowane)")
               : QStringLiteral("mieszane, zapisane jako CR LF");
}

bool endsWithBreak(QByteArrayView bytes)
{
    return !bytes.isEmpty() && (bytes.back() == '\n' || bytes.back() == '\r');
}

QString declarationPlace(const SiteDeclaration& declaration)
{
    return QStringLiteral("wiersz %1: %2 %3")
        .arg(declaration.line)
        .arg(declaration.formName(), QString::fromLatin1(declaration.value));
}

} // namespace

FileConversion planConversion(const QString& path, const QByteArray& bytes,
                              const SiteConversionOptions& options, QByteArray* converted)
{
    using Outcome = FileConversion::Outcome;
    FileConversion result;
    result.path = path;
    result.to = options.target.name();
    if (bytes.isEmpty()) {
        result.reason = QStringLiteral("pusty plik");
        return result;
    }
    if (QByteArrayView(bytes).first(qMin(bytes.size(), BinaryProbeBytes)).contains('\0')) {
        result.outcome = Outcome::Skipped;
        result.reason = QStringLiteral("plik binarny");
        return result;
    }
    auto skip = [&](const QString& reason) {
        result.outcome = Outcome::Skipped;
        result.reason = reason;
        return result;
    };
    const SiteFileKind kind = siteFileKind(fileNamePart(path));
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    const QByteArrayView body = QByteArrayView(bytes).sliced(bom ? 3 : 0);
    const QList<SiteDeclaration> declarations = findSiteDeclarations(body, kind);

    // What the file says it is in: its first declaration of itself; one naming an encoding
    // outside the three leaves the file as it is.
    std::optional<Encoding> declared;
    const SiteDeclaration* first = nullptr;
    for (const SiteDeclaration& declaration : declarations) {
        if (!declaration.declaresFile())
            continue;
        const std::optional<Encoding> named = encodingOfDeclaredValue(declaration.value);
        if (!named)
            return skip(QStringLiteral("kodowanie spoza trzech obsługiwanych: %1")
                            .arg(declarationPlace(declaration)));
        if (!first) {
            first = &declaration;
            declared = named;
        } else if (*named != *declared) {
            result.warnings << QStringLiteral("dwie różne deklaracje: %1 i %2; obowiązuje pierwsza")
                                   .arg(declarationPlace(*first), declarationPlace(declaration));
        }
    }
    const bool ascii = isAscii(body);
    const bool multibyte = !ascii && isMultibyteUtf8(body);
    Encoding from = EncodingUnknown;
    if (declared) {
        if (*declared == EncodingUtf8 && !ascii && !multibyte)
            return skip(QStringLiteral("zadeklarowane UTF-8, ale bajty nie są w UTF-8"));
        if (*declared != EncodingUtf8 && multibyte)
            return skip(
                QStringLiteral("zadeklarowane %1, ale bajty są w UTF-8").arg(declared->name()));
        from = *declared;
    } else if (multibyte || bom) {
        if (!ascii && !multibyte)
            return skip(QStringLiteral("znacznik BOM, ale bajty nie są w UTF-8"));
        from = EncodingUtf8;
    }
    result.from = from.name();

    // Which of the two 8-bit encodings the bytes show, and what the one reading rule changes.
    if (from != EncodingUtf8 && !ascii) {
        const PolishByteEvidence evidence = polishByteEvidence(body);
        const std::optional<Encoding> shown = evidence.pointsTo();
        if (evidence.iso + evidence.cp1250 > 0)
            result.evidence = QStringLiteral("bajty wskazują %1 (ISO-8859-2: %2, CP-1250: %3)")
                                  .arg(shown ? shown->name() : QStringLiteral("oba po równo"))
                                  .arg(evidence.iso)
                                  .arg(evidence.cp1250);
        if (declared && shown && *shown != *declared)
            result.warnings << QStringLiteral("deklaracja %1 nie zgadza się z bajtami: %2")
                                   .arg(declared->name(), result.evidence);
        const Encoding actual = shown.value_or(from.readAs());
        qsizetype count = 0;
        const QList<SwappedCharacter> swapped = swappedCharacters(body, actual, 5, &count);
        if (count > 0 && from != options.target) {
            QStringList places;
            for (const SwappedCharacter& c : swapped)
                places << QStringLiteral("%1:%2 „%3” → „%4”")
                              .arg(c.line)
                              .arg(c.column)
                              .arg(c.was, c.readAs);
            result.warnings << QStringLiteral("odczyt jako %1 zmienia znaki, które nie są "
                                              "polskimi literami: %2; %3%4")
                                   .arg(actual.name())
                                   .arg(count)
                                   .arg(places.join(QLatin1String(", ")),
                                        count > swapped.size() ? QStringLiteral(", …") : QString());
        }
    }

    // Every declaration naming another of the three gets the target's value; a page that
    // declares nothing gets one after its <head>.
    const QByteArray targetValue = options.target.charsetValue();
    QByteArray edited;
    edited.reserve(body.size() + 32);
    qsizetype copied = 0;
    for (const SiteDeclaration& declaration : declarations) {
        const std::optional<Encoding> named = encodingOfDeclaredValue(declaration.value);
        if (!named || *named == options.target)
            continue;
        edited += body.sliced(copied, declaration.position - copied);
        edited += targetValue;
        copied = declaration.position + declaration.length;
        result.changes << QStringLiteral("%1 → %2").arg(declarationPlace(declaration),
                                                        QString::fromLatin1(targetValue));
        if (declaration.form == SiteDeclaration::Form::AddDefaultCharset ||
            declaration.form == SiteDeclaration::Form::AddCharset ||
            declaration.form == SiteDeclaration::Form::PhpValue)
            result.serverOverride = QStringLiteral("ustawia kodowanie stron w %1 i podfolderach")
                                        .arg(path.left(path.lastIndexOf(QLatin1Char('/')) + 1));
    }
    if (kind == SiteFileKind::Htaccess && result.serverOverride.isEmpty()) {
        for (const SiteDeclaration& declaration : declarations)
            if (!declaration.declaresFile())
                result.serverOverride =
                    QStringLiteral("ustawia kodowanie stron w %1 i podfolderach")
                        .arg(path.left(path.lastIndexOf(QLatin1Char('/')) + 1));
    }
    QStringList reasons;
    if (!first && (kind == SiteFileKind::Page || kind == SiteFileKind::Php)) {
        const qsizetype head = headInsertPosition(body);
        if (head >= 0) {
            const QByteArray meta = "<meta charset=\"" + targetValue + "\">";
            edited += body.sliced(copied, head - copied);
            edited += meta;
            copied = head;
            result.changes << QStringLiteral("wiersz %1: wstawiono %2 po <head>")
                                  .arg(1 + countLineBreaks(body.first(head)))
                                  .arg(QString::fromLatin1(meta));
        } else if (kind == SiteFileKind::Page) {
            reasons << QStringLiteral("bez deklaracji");
        }
    }
    edited += body.sliced(copied);

    QByteArray output;
    if (from == options.target || (ascii && from == EncodingUnknown)) {
        // The same bytes in the target: only the declarations (and the mark) change.
        output = std::move(edited);
    } else {
        QByteArray text = decodeDocument(edited, from.readAs());
        result.unrepresentable = findUnrepresentable(text, options.target);
        if (result.unrepresentable.count > 0) {
            const QString list = describeUnrepresentable(result.unrepresentable);
            if (!options.characterReferences)
                return skip(QStringLiteral("znaki spoza kodowania: %1; %2")
                                .arg(result.unrepresentable.count)
                                .arg(list));
            reasons << QStringLiteral("odwołania HTML zamiast znaków spoza kodowania: %1; %2")
                           .arg(result.unrepresentable.count)
                           .arg(list);
            text = withCharacterReferences(text, options.target);
        }
        // Lines end as they did: LF stays LF (a script keeps running), CR stays CR; CR LF,
        // mixed breaks and none get CR LF.
        const LineBreak lineBreak = detectLineBreak(edited);
        output = encodeDocument(text, options.target, lineBreak);
        // A file whose last line had no break still has none.
        if (!endsWithBreak(edited) && endsWithBreak(output))
            output.chop(lineBreakBytes(lineBreak).size());
        result.lineBreaks = lineBreakName(edited, lineBreak);
    }
    if (bom) {
        result.changes << QStringLiteral("usunięto znacznik BOM");
        reasons.prepend(QStringLiteral("usunięto znacznik BOM"));
    }
    result.reason = reasons.join(QLatin1String("; "));
    if (output == bytes) {
        result.changes.clear();
        result.reason = QStringLiteral("już w tym kodowaniu");
        if (reasons.contains(QStringLiteral("bez deklaracji")))
            result.reason += QStringLiteral("; bez deklaracji");
        return result;
    }
    result.outcome = Outcome::Changed;
    if (converted)
        *converted = std::move(output);
    return result;
}

namespace {

// A file read and planned, its copy made when one is asked for, waiting to be written.
struct PreparedFile {
    FileConversion result;
    QString target;
    FileStamp before;
    QByteArray converted;
    // True when the file is still to be written (by commitFile()).
    bool pending = false;
};

PreparedFile prepareFile(const SiteEntry& entry, const SiteConversionOptions& options, bool write)
{
    PreparedFile file;
    FileConversion& result = file.result;
    result.path = entry.path;
    result.to = options.target.name();
    auto fail = [&](const QString& reason) {
        result.outcome = FileConversion::Outcome::Failed;
        result.reason = reason;
        return file;
    };
    if (!entry.problem.isEmpty())
        return fail(entry.problem);
    if (!entry.passedBy.isEmpty()) {
        result.outcome = FileConversion::Outcome::Skipped;
        result.reason = entry.passedBy;
        return file;
    }
    const QFileInfo info(entry.path);
    if (info.isSymLink() && !info.exists())
        return fail(QStringLiteral("łącze symboliczne prowadzi donikąd lub w pętlę"));
    if (info.isDir())
        return fail(QStringLiteral("to jest folder, a nie plik"));
    file.target = comparablePath(entry.path);
    // A link changed since the walk could lead anywhere now.
    if (!entry.target.isEmpty() && file.target != entry.target)
        return fail(QStringLiteral("plik zmienił się w czasie zmiany"));
    if (options.openFiles.contains(file.target)) {
        result.outcome = FileConversion::Outcome::Skipped;
        result.reason = QStringLiteral("otwarty w edytorze");
        return file;
    }
    file.before = fileStamp(file.target);
    QByteArray bytes;
    try {
        bytes = readWholeFile(file.target);
    } catch (const CommandError& error) {
        return fail(reasonOf(error));
    }
    result = planConversion(entry.path, bytes, options, &file.converted);
    if (!write || result.outcome != FileConversion::Outcome::Changed)
        return file;
    if (!QFileInfo(file.target).isWritable())
        return fail(QStringLiteral("Plik jest tylko do odczytu."));
    // The old bytes are kept before the file is touched; without a copy nothing is changed.
    if (options.backup) {
        const QString backupError =
            options.backup->keep(entry, file.target, file.before.inode, bytes, &result.backupPath);
        if (!backupError.isEmpty())
            return fail(QStringLiteral("nie zmieniono, bo nie udało się zrobić kopii: %1")
                            .arg(backupError));
    }
    file.pending = true;
    return file;
}

// Writes a prepared file, unless another program changed it since it was read, or its copy is
// not on disk for certain (`copyError`). The copy of a file not written is dropped.
FileConversion commitFile(PreparedFile& file, const QString& copyError)
{
    FileConversion& result = file.result;
    auto fail = [&](const QString& reason, bool written = false) {
        result.outcome = FileConversion::Outcome::Failed;
        result.reason = reason;
        if (!written)
            SiteBackup::drop(std::exchange(result.backupPath, {}));
        return result;
    };
    if (!copyError.isEmpty())
        return fail(
            QStringLiteral("nie zmieniono, bo nie udało się zrobić kopii: %1").arg(copyError));
    const FileStamp now = fileStamp(file.target);
    if (!now.exists)
        return fail(QStringLiteral("plik zniknął w czasie zmiany"));
    if (now != file.before)
        return fail(QStringLiteral("plik zmienił się w czasie zmiany"));
    try {
        writeWholeFile(file.target, file.converted, WriteTarget::ThisFile, result.backupPath);
    } catch (const CommandError& error) {
        // A write can fail after the new file took the old one's place (its folder not synced):
        // the copy then holds the only old bytes there are, and stays.
        return fail(reasonOf(error), fileStamp(file.target) != file.before);
    }
    return result;
}

// Files whose copies are made are written in batches: one sync makes all of a batch's copies
// durable before the first of its files is replaced, instead of one sync per copy.
constexpr int BatchFiles = 32;
constexpr qsizetype BatchBytes = 8 << 20;

} // namespace

FileConversion convertSiteEntry(const SiteEntry& entry, const SiteConversionOptions& options,
                                bool write)
{
    PreparedFile file = prepareFile(entry, options, write);
    if (!file.pending)
        return file.result;
    return commitFile(file, options.backup ? options.backup->sync() : QString());
}

qsizetype convertSiteEntries(const QList<SiteEntry>& entries, const SiteConversionOptions& options,
                             bool write,
                             const std::function<void(qsizetype, const FileConversion&)>& done,
                             const std::function<bool()>& stop)
{
    // An entry's result, or nothing when it was not begun because the run stopped.
    std::vector<std::optional<std::optional<FileConversion>>> results(entries.size());
    // An entry is taken and begun, or not, in one step, so that the entries begun are always
    // the first ones.
    std::mutex taking;
    qsizetype next = 0;
    bool stopping = false;
    std::mutex mutex;
    std::condition_variable ready;
    auto deliver = [&](qsizetype i, std::optional<FileConversion> result) {
        const std::lock_guard lock(mutex);
        results[i] = std::move(result);
        ready.notify_all();
    };
    auto work = [&] {
        std::vector<std::pair<qsizetype, PreparedFile>> batch;
        qsizetype batchBytes = 0;
        auto commitBatch = [&] {
            if (batch.empty())
                return;
            const QString copyError = options.backup->sync();
            for (auto& [i, file] : batch)
                deliver(i, commitFile(file, copyError));
            batch.clear();
            batchBytes = 0;
        };
        for (;;) {
            qsizetype i = 0;
            bool begin = false;
            {
                const std::lock_guard lock(taking);
                if (next == entries.size()) {
                    commitBatch();
                    return;
                }
                i = next++;
                stopping = stopping || (stop && stop());
                begin = !stopping;
            }
            if (!begin) {
                deliver(i, std::nullopt);
                continue;
            }
            if (!options.backup) {
                deliver(i, convertSiteEntry(entries[i], options, write));
                continue;
            }
            PreparedFile file = prepareFile(entries[i], options, write);
            if (!file.pending) {
                deliver(i, std::move(file.result));
                continue;
            }
            batchBytes += file.converted.size();
            batch.emplace_back(i, std::move(file));
            if (int(batch.size()) >= BatchFiles || batchBytes >= BatchBytes)
                commitBatch();
        }
    };
    const int workers = int(qBound(qsizetype(1), entries.size() / 2, qsizetype(8)));
    std::vector<std::thread> threads;
    for (int i = 0; i < workers; ++i)
        threads.emplace_back(work);
    qsizetype handed = 0;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        std::optional<FileConversion> result;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return results[i].has_value(); });
            result = std::move(*results[i]);
            results[i].reset();
        }
        if (result) {
            done(i, *result);
            ++handed;
        }
    }
    for (std::thread& thread : threads)
        thread.join();
    return handed;
}
