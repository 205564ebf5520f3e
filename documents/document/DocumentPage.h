#pragma once

#include "files/FileAccess.h"

#include <QWidget>

class Document;
class TSynMemo;

// One tab of the page control: the editor showing one document.
class DocumentPage : public QWidget {
    Q_OBJECT
public:
    explicit DocumentPage(const QString& caption, QWidget* parent = nullptr);

    Document* document() const { return m_document; }
    TSynMemo* editor() const { return m_editor; }
    // The document's caption, encoding name and disk stamp.
    QString caption() const;
    void setCaption(const QString& caption);
    // "UTF-8", "ISO-8859-2", "CP-1250", "Nieznany", or empty until first detected.
    QString encodingName() const;
    void setEncodingName(const QString& name);
    // 0: no unsaved changes; 1: unsaved changes.
    int modifiedMarker() const { return m_modifiedMarker; }
    void setModifiedMarker(int marker) { m_modifiedMarker = marker; }
    // The file as it was when the page last read or wrote it.
    FileStamp diskStamp() const;
    void setDiskStamp(const FileStamp& stamp);

signals:
    void captionChanged();

private:
    // Made before the editor, and so let go before it.
    Document* m_document;
    TSynMemo* m_editor;
    int m_modifiedMarker = 0;
};
