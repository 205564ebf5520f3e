#pragma once

#include "encoding/Encoding.h"
#include "encoding/TextLines.h"
#include "files/FileAccess.h"

#include <QObject>
#include <QString>
#include <Qsci/qscidocument.h>

#include <functional>
#include <memory>
#include <optional>

// How a document's file is written: what reading it found, or what its first save chose.
struct DocumentFormat {
    // The encoding the document is named after; none for a new document until its first save.
    std::optional<Encoding> encoding;
    // The line breaks of the file as it was read (CR LF for a new document).
    LineBreak lineBreak = LineBreak::CrLf;

    friend bool operator==(const DocumentFormat&, const DocumentFormat&) = default;
};

// One open document, with no widget: its file, the format it is written in, the file as the
// document last read or wrote it, whether it has unsaved changes, and its text, which a view
// (TSynMemo) shows and edits while attached to it.
class Document : public QObject {
    Q_OBJECT
public:
    explicit Document(QObject* parent = nullptr);
    ~Document() override;

    // The file, empty for a new document.
    QString path() const { return m_path; }
    void setPath(const QString& path);
    // The name its page is shown by.
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);

    DocumentFormat format() const { return m_format; }
    void setFormat(const DocumentFormat& format);
    void setEncoding(std::optional<Encoding> encoding);
    void setLineBreak(LineBreak lineBreak);
    // "UTF-8", "ISO-8859-2", "CP-1250", "Nieznany", or empty until first detected or saved.
    QString encodingName() const;

    // The file as it was when the document last read or wrote it.
    FileStamp diskStamp() const { return m_diskStamp; }
    void setDiskStamp(const FileStamp& stamp) { m_diskStamp = stamp; }

    // Unsaved changes: the text left its save point, or its file is gone (markModified).
    bool isModified() const;
    // Whether the text is away from its save point: the attached view answers `textModified`
    // (empty: none is attached) and reports each change of it here.
    void setTextModifiedQuery(std::function<bool()> textModified);
    void setTextModified(bool modified);
    // Modified with the text as it is, until the next save or load.
    void setForcedModified(bool forced);

    // The text, for a view to attach to.
    const QsciDocument& text() const { return *m_text; }

signals:
    // The path, caption, format or modified state changed.
    void changed();

private:
    // TSynMemo keeps count of the views showing the text: the component keeps a text that no
    // view shows alive by a reference of its own, which the next view to show it takes over.
    friend class TSynMemo;
    int m_views = 0;
    bool m_shown = false;
    // Views alive, of any document: the component lets go of a text through one of them.
    static inline int s_liveViews = 0;

    QString m_path;
    QString m_caption;
    DocumentFormat m_format;
    FileStamp m_diskStamp;
    bool m_textModified = false;
    bool m_forcedModified = false;
    std::function<bool()> m_textModifiedQuery;
    std::unique_ptr<QsciDocument> m_text = std::make_unique<QsciDocument>();
};
