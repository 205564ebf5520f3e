#pragma once

#include "files/FileAccess.h"

#include <QWidget>

class TSynMemo;

// One tab of the page control: a document's editor and what the program keeps about it.
class DocumentPage : public QWidget {
    Q_OBJECT
public:
    explicit DocumentPage(const QString& caption, QWidget* parent = nullptr);

    TSynMemo* editor() const { return m_editor; }
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // "UTF-8", "ISO-8859-2", "CP-1250", "Nieznany", or empty until first detected.
    QString encodingName() const { return m_encodingName; }
    void setEncodingName(const QString& name) { m_encodingName = name; }
    // 0: no unsaved changes; 1: unsaved changes.
    int modifiedMarker() const { return m_modifiedMarker; }
    void setModifiedMarker(int marker) { m_modifiedMarker = marker; }
    // The file as it was when the page last read or wrote it.
    FileStamp diskStamp() const { return m_diskStamp; }
    void setDiskStamp(const FileStamp& stamp) { m_diskStamp = stamp; }

signals:
    void captionChanged();

private:
    TSynMemo* m_editor;
    QString m_caption;
    QString m_encodingName;
    int m_modifiedMarker = 0;
    FileStamp m_diskStamp;
};
