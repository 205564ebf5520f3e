#include "files/SiteConversion.h"

#include "common/CommandError.h"
#include "encoding/CharsetDeclaration.h"
#include "encoding/CharsetDetection.h"
#include "files/DocumentReader.h"
#include "files/FileAccess.h"
#include "files/OrderedWork.h"

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

// The text with the value of its charset declaration replaced; no line is added.
QByteArray withDeclaredValue(const QByteArray& text, Encoding target)
{
    const CharsetLine line = findCharsetLine(text);
    if (line.index < 0)
        return text;
    const QByteArrayView lineText(text.constData() + line.start, line.end - line.start);
    const std::optional<QByteArray> rewritten = rewriteDeclaration(lineText, target.index());
    if (!rewritten || *rewritten == lineText)
        return text;
    QByteArray result = text;
    result.replace(line.start, line.end - line.start, *rewritten);
    return result;
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

void addFile(const QFileInfo& file, const Roots& roots, QList<SiteEntry>& entries,
             QSet<QString>& seen, const NameFilter& wanted)
{
    const QString target = comparablePath(file.filePath());
    if (file.isSymLink() && file.exists()) {
        if (!roots.contain(target)) {
            entries.append({file.filePath(), {}, QStringLiteral("dowiązanie poza folderem"), {}});
            return;
        }
        if (!wanted(QFileInfo(target).fileName()))
            return;
    }
    // A broken or looping link reaches the conversion and is reported there.
    if (!seen.contains(target)) {
        seen.insert(target);
        entries.append({file.filePath(), {}, {}, target});
    }
}

void walkFolder(const QString& folder, const Roots& roots, QList<SiteEntry>& entries,
                QSet<QString>& seen, const NameFilter& wanted)
{
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isReadable() || !folderInfo.isExecutable()) {
        entries.append({folder, QStringLiteral("brak uprawnień do odczytu folderu"), {}, {}});
        return;
    }
    const QFileInfoList children = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& child : children) {
        if (child.isSymLink() && child.isDir())
            continue;
        if (child.isDir()) {
            if (!child.fileName().startsWith(QLatin1Char('.')))
                walkFolder(child.filePath(), roots, entries, seen, wanted);
            continue;
        }
        if (wanted(child.fileName()))
            addFile(child, roots, entries, seen, wanted);
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
    return patterns;
}

bool isSiteFileName(const QString& fileName)
{
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
            walkFolder(path, roots, entries, seen, wanted);
        } else if (!seen.contains(comparablePath(path))) {
            // A file named on its own is taken as named, a link among them.
            seen.insert(comparablePath(path));
            entries.append({path, {}, {}, comparablePath(path)});
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

FileConversion planConversion(const QString& path, const QByteArray& bytes,
                              const SiteConversionOptions& options, QByteArray* converted)
{
    FileConversion result;
    result.path = path;
    result.to = options.target.name();
    if (bytes.isEmpty()) {
        result.reason = QStringLiteral("pusty plik");
        return result;
    }
    if (QByteArrayView(bytes).first(qMin(bytes.size(), BinaryProbeBytes)).contains('\0')) {
        result.outcome = FileConversion::Outcome::Skipped;
        result.reason = QStringLiteral("plik binarny");
        return result;
    }
    const DocumentRead read = inspectDocument(bytes);
    result.from = read.encoding.name();
    if (result.from == result.to) {
        result.reason = QStringLiteral("już w tym kodowaniu");
        return result;
    }
    QByteArray text = decodeDocument(bytes, read.encoding.readAs().index());
    text = withDeclaredValue(text, options.target);
    const SaveForm form = options.target.saveForm();
    result.unrepresentable = findUnrepresentable(text, form);
    if (result.unrepresentable.count > 0) {
        const QString list = describeUnrepresentable(result.unrepresentable);
        if (!options.characterReferences) {
            result.outcome = FileConversion::Outcome::Skipped;
            result.reason = QStringLiteral("znaki spoza kodowania: %1; %2")
                                .arg(result.unrepresentable.count)
                                .arg(list);
            return result;
        }
        result.reason = QStringLiteral("odwołania HTML zamiast znaków spoza kodowania: %1; %2")
                            .arg(result.unrepresentable.count)
                            .arg(list);
        text = withCharacterReferences(text, form);
    }
    QByteArray output = encodeDocument(text, form, LineBreak::CrLf);
    // Bytes that read back the same need no writing (an undeclared page of plain ASCII letters
    // is in every encoding already).
    if (output == bytes || (isAscii(bytes) && withDeclaredValue(bytes, options.target) == bytes)) {
        result.reason = QStringLiteral("już w tym kodowaniu");
        return result;
    }
    result.outcome = FileConversion::Outcome::Changed;
    if (converted)
        *converted = std::move(output);
    return result;
}

FileConversion convertSiteEntry(const SiteEntry& entry, const SiteConversionOptions& options,
                                bool write)
{
    FileConversion result;
    result.path = entry.path;
    result.to = options.target.name();
    auto fail = [&](const QString& reason) {
        result.outcome = FileConversion::Outcome::Failed;
        result.reason = reason;
        return result;
    };
    if (!entry.problem.isEmpty())
        return fail(entry.problem);
    if (!entry.passedBy.isEmpty()) {
        result.outcome = FileConversion::Outcome::Skipped;
        result.reason = entry.passedBy;
        return result;
    }
    const QFileInfo info(entry.path);
    if (info.isSymLink() && !info.exists())
        return fail(QStringLiteral("łącze symboliczne prowadzi donikąd lub w pętlę"));
    if (info.isDir())
        return fail(QStringLiteral("to jest folder, a nie plik"));
    const QString target = comparablePath(entry.path);
    // A link changed since the walk could lead anywhere now.
    if (!entry.target.isEmpty() && target != entry.target)
        return fail(QStringLiteral("plik zmienił się w czasie zmiany"));
    if (options.openFiles.contains(target)) {
        result.outcome = FileConversion::Outcome::Skipped;
        result.reason = QStringLiteral("otwarty w edytorze");
        return result;
    }
    const FileStamp before = fileStamp(target);
    QByteArray bytes;
    try {
        bytes = readWholeFile(target);
    } catch (const CommandError& error) {
        return fail(reasonOf(error));
    }
    QByteArray converted;
    result = planConversion(entry.path, bytes, options, &converted);
    if (!write || result.outcome != FileConversion::Outcome::Changed)
        return result;
    const FileStamp now = fileStamp(target);
    if (!now.exists)
        return fail(QStringLiteral("plik zniknął w czasie zmiany"));
    if (now != before)
        return fail(QStringLiteral("plik zmienił się w czasie zmiany"));
    if (!QFileInfo(target).isWritable())
        return fail(QStringLiteral("Plik jest tylko do odczytu."));
    try {
        writeWholeFile(target, converted, WriteTarget::ThisFile);
    } catch (const CommandError& error) {
        return fail(reasonOf(error));
    }
    return result;
}

qsizetype convertSiteEntries(const QList<SiteEntry>& entries, const SiteConversionOptions& options,
                             bool write,
                             const std::function<void(qsizetype, const FileConversion&)>& done,
                             const std::function<bool()>& stop)
{
    // Several files at a time: writing a file waits for the disk.
    return runInOrder<FileConversion>(
        entries.size(), [&](qsizetype i) { return convertSiteEntry(entries[i], options, write); },
        done, stop, int(qBound(qsizetype(1), entries.size() / 2, qsizetype(8))));
}
