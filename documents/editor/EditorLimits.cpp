#include "editor/EditorLimits.h"

#include "common/CommandError.h"
#include "encoding/DocumentCodec.h"
#include "encoding/TextLines.h"
#include "files/FileAccess.h"

#include <QFile>
#include <QFileInfo>

namespace {

[[noreturn]] void refuse(const QString& path, const QString& reason)
{
    throw CommandError(QStringLiteral("Cannot open file %1\n%2").arg(path, reason));
}

// A count with its thousands set apart by no-break spaces, as Polish text sets them.
QString amount(qint64 count)
{
    QString digits = QString::number(count);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QChar(0xA0));
    return digits;
}

QString tooLarge(qint64 bytes)
{
    return QStringLiteral("Plik jest za duży dla edytora: %1 B (najwięcej %2 B).")
        .arg(amount(bytes), amount(MaxEditorTextBytes));
}

bool isFileBreak(char b)
{
    return TextLines::FileBreaks::is(static_cast<unsigned char>(b));
}

// The file's lines by the line rule, counted a piece at a time, so that a file of millions of
// NUL bytes is judged without being held; counting stops once it passes `limit`. -1 when the
// file cannot be read: readWholeFile() then tells why.
qint64 countLines(const QString& path, qint64 limit)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QByteArray piece(4 << 20, Qt::Uninitialized);
    qint64 breaks = 0;
    char last = 0;
    for (;;) {
        const qint64 read = file.read(piece.data(), piece.size());
        if (read < 0)
            return -1;
        if (read == 0)
            break;
        // A CR that ended the piece before was counted alone; with this LF it is one break.
        if (last == '\r' && piece[0] == '\n')
            --breaks;
        breaks += countLineBreaks(QByteArrayView(piece.constData(), read));
        last = piece[read - 1];
        if (breaks > limit)
            break;
    }
    // Each break ends a line; a last line that no break closes counts too.
    const bool unclosedLastLine = file.size() > 0 && !isFileBreak(last);
    return breaks + (unclosedLastLine ? 1 : 0);
}

} // namespace

void refuseFileTooLargeForEditor(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return;
    if (info.size() > MaxEditorTextBytes)
        refuse(path, tooLarge(info.size()));
    // A file holds no more lines than bytes.
    if (info.size() > MaxEditorLines) {
        const qint64 lines = countLines(path, MaxEditorLines);
        if (lines > MaxEditorLines)
            refuse(path, QStringLiteral("Plik ma za dużo wierszy dla edytora (najwięcej %1).")
                             .arg(amount(MaxEditorLines)));
    }
}

void refuseTextTooLargeForEditor(const QString& path, QByteArrayView bytes, Encoding readAs)
{
    // The file may have grown since; and decoding can make the text up to three times the bytes.
    if (bytes.size() > MaxEditorTextBytes)
        refuse(path, tooLarge(bytes.size()));
    if (bytes.size() > MaxEditorTextBytes / 3) {
        const qsizetype size = decodedSize(bytes, readAs, MaxEditorTextBytes);
        if (size > MaxEditorTextBytes)
            refuse(path, QStringLiteral("Tekst pliku odczytanego jako %1 byłby za duży dla "
                                        "edytora (najwięcej %2 B).")
                             .arg(readAs.name(), amount(MaxEditorTextBytes)));
    }
}
