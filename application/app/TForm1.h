#pragma once

#include "app/StatusPanels.h"
#include "desktop/Desktop.h"
#include "document/DocumentEncodings.h"
#include "document/DocumentList.h"
#include "editor/TSynMemo.h"
#include "search/SearchCommands.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class CommandRegistry;
class CrashRecovery;
class DocumentPage;
class DocumentSaver;
class ExternalChanges;
class Highlighters;
class QMenu;
class QTabWidget;
class TFPrzekoduj;
class TFPrzekodujFolder;
class WindowMemory;
enum class Language;

// The main window: menus, toolbar, tag buttons, the page control with one page per open
// document, and the status bar. It wires each command to the piece that carries it out.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `settingsPath` empty means Tagomir.dat beside the executable.
    explicit TForm1(Desktop& desktop, const QStringList& arguments = {},
                    const QString& settingsPath = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Runs the handler of a command by its name; an error that stops it is shown to the user.
    void runCommand(const QString& command);
    bool hasCommand(const QString& command) const;

    // Opens files named on a command line: all of them when the first names an existing file,
    // else none.
    void openFiles(const QStringList& arguments);
    // `asked`: the encoding to read the file in instead of the one detected.
    void OpenFileInPage(const QString& caption, const QString& path,
                        std::optional<Encoding> asked = {});
    int FindPageOfFile(const QString& path) const { return m_documents->indexOfFile(path); }
    TSynMemo* ActiveEditor() const;
    void InsertTags(const QString& openText, const QString& closeText);

    // The open documents; the window only shows them.
    DocumentList& documents() const { return *m_documents; }
    int pageCount() const { return m_documents->count(); }
    DocumentPage* page(int index) const { return m_documents->at(index); }
    DocumentPage* activePage() const { return m_documents->active(); }
    QString panelText(int panel) const { return Bar->text(panel); }
    QString settingsFilePath() const { return m_settingsPath; }
    Highlighters* highlighters() const { return m_highlighters; }
    DocumentEncodings& encodings() const { return *m_encodings; }
    int selectedEncodingIndex() const { return m_encodings->selectedIndex(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void FormShow();
    void mnuKoniecClick();
    void mnuNowy1Click();
    void mnuOpenClick();
    void mnuZapisClick();
    void mnuZapisJakoClick();
    void mnuZamknijClick();
    void mnuZamykaAllClick();
    void SUBmnuUTF8Click();
    void SubmnuISOClick();
    void SubmnuWinClick();
    void mnuUndoClick();
    void mnuRedoClick();
    void mnuCutClick();
    void mnuCopyClick();
    void mnuPasteClick();
    void mnuDeleteClick();
    void mnuKodowanieClick();
    void mnuKodowanieFolderuClick();
    void mnuFindClick();
    void mnuFindNextClick();
    void mnuReplaceClick();
    void mnuZamianaNextClick();
    void mnuGenTableClick();
    void mnuKolorClick();
    void mnuZobaczClick();
    void mnuPomocClick();
    void PCChange(int index);
    void EditorStatusChange(TSynMemo::StatusChanges changes);

private:
    static constexpr int DesignWidth = 781;
    static constexpr int DesignHeight = 536;

    void buildWindow();
    void registerHandlers();

    void LoadWindowGeometry();
    void SaveWindowGeometry();

    void openEach(const QStringList& paths);
    void btnWykryjClick();
    void ReopenAs(Encoding encoding, const char* itemName);
    void setHighlighter(Language language);

    Desktop& m_desktop;
    QStringList m_arguments;
    QString m_settingsPath;
    std::unique_ptr<CommandRegistry> m_commands;
    std::unique_ptr<DocumentEncodings> m_encodings;
    std::unique_ptr<ExternalChanges> m_externalChanges;
    DocumentSaver* m_saver = nullptr;
    TFPrzekoduj* FPrzekoduj = nullptr;
    CrashRecovery* m_recovery = nullptr;
    TFPrzekodujFolder* FPrzekodujFolder = nullptr;
    Highlighters* m_highlighters = nullptr;
    WindowMemory* m_memory = nullptr;

    QTabWidget* PC = nullptr;
    DocumentList* m_documents = nullptr;
    StatusPanels* Bar = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QPointer<QAction> m_checkedReopenItem;

    int m_newDocumentCounter = 0;
    bool m_shownOnce = false;
    FileDialogRequest m_openDialogState;
    SearchCommands m_search{m_desktop, this};
};
