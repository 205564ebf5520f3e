#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

// What a file dialog starts with; `filters` are in Qt's "Description (*.a *.b)" form.
struct FileDialogRequest {
    QStringList filters;
    QString selectedFilter;
    QString fileName;
    QString defaultSuffix;
};

// The file the user confirmed and the filter that was selected then.
struct FileChoice {
    QString path;
    QString filter;
};

enum class Answer { Yes, No, Cancel };

// Everything the program asks of the user and of the desktop goes through here,
// so that tests can answer the questions instead of a person.
class Desktop {
public:
    virtual ~Desktop() = default;
    // The application title, "Tagomir" until a page gives it its caption; the caption of every
    // message box.
    const QString& applicationTitle() const { return m_applicationTitle; }
    void setApplicationTitle(const QString& title) { m_applicationTitle = title; }

    virtual Answer askYesNoCancel(QWidget* parent, const QString& text) = 0;
    // A question with two ways forward and a way back: Yes stands for the button `first`, No
    // for `second`, Cancel for "Anuluj", Esc and the close box.
    virtual Answer askChoice(QWidget* parent, const QString& text, const QString& first,
                             const QString& second) = 0;
    virtual void showError(QWidget* parent, const QString& text) = 0;
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    virtual std::optional<FileChoice> chooseFileToOpen(QWidget* parent,
                                                       const FileDialogRequest& request) = 0;
    virtual std::optional<FileChoice> chooseFileToSave(QWidget* parent,
                                                       const FileDialogRequest& request) = 0;
    // A folder, starting at `start`; nullopt when the user cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                                const QString& start) = 0;
    virtual bool openWithAssociatedProgram(const QString& path) = 0;

private:
    QString m_applicationTitle = QStringLiteral("Tagomir");
};

// Message boxes, Qt's file dialogs and the desktop's file associations.
class SystemDesktop final : public Desktop {
public:
    Answer askYesNoCancel(QWidget* parent, const QString& text) override;
    Answer askChoice(QWidget* parent, const QString& text, const QString& first,
                     const QString& second) override;
    void showError(QWidget* parent, const QString& text) override;
    void showMessage(QWidget* parent, const QString& text) override;
    std::optional<FileChoice> chooseFileToOpen(QWidget* parent,
                                               const FileDialogRequest& request) override;
    std::optional<FileChoice> chooseFileToSave(QWidget* parent,
                                               const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& start) override;
    bool openWithAssociatedProgram(const QString& path) override;
};
