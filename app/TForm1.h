#pragma once

#include "app/Desktop.h"
#include "app/TSynMemo.h"
#include "search/SearchCommands.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <functional>

class Desktop;
class DocumentPage;
class Highlighters;
class QAbstractButton;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QStatusBar;
class QTabWidget;
class QToolBar;
enum class Language;

// The main window: menus, toolbar, tag buttons, the page control with one page per open
// document, and the status bar; every command of the program is one of its handlers.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // `settingsPath` empty means Tagomir.dat beside the executable.
    explicit TForm1(Desktop& desktop, const QStringList& arguments = {},
                    const QString& settingsPath = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Runs the handler of a command by its name; an error that stops it is shown to the user.
    void runCommand(const QString& command);

    void OpenFileInPage(const QString& caption, const QString& path);
    int FindPageOfFile(const QString& path) const;
    TSynMemo* ActiveEditor() const;
    void InsertTags(const QString& openText, const QString& closeText);

    int pageCount() const;
    DocumentPage* page(int index) const;
    DocumentPage* activePage() const;
    QString panelText(int panel) const;
    QString settingsFilePath() const { return m_settingsPath; }
    Highlighters* highlighters() const { return m_highlighters; }
    int selectedEncodingIndex() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
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
    void mnuFindClick();
    void mnuFindNextClick();
    void mnuReplaceClick();
    void mnuZamianaNextClick();
    void PCChange(int index);
    void EditorStatusChange(TSynMemo::StatusChanges changes);

private:
    void buildWindow();
    void buildMenus();
    void buildToolBar(QFrame* iconPanel);
    void buildTagButtons(QFrame* tagPanel);
    void buildStatusBar(QFrame* bottomPanel);
    void registerHandlers();
    // Runs `work`; an error that stops it is shown, and false returned.
    bool guarded(const std::function<void()>& work);
    void connectCommand(QAction* action, const QString& command);
    void connectCommand(QAbstractButton* button, const QString& command);

    void LoadWindowGeometry();
    void SaveWindowGeometry();

    void btnWykryjClick();
    void detectCharset(QByteArrayView lines);
    void ClassifyCharsetLine();
    void DecodeLoadedText(const QByteArray& fileBytes);
    void ReopenAs(const QString& encodingName, QAction* item);
    void setSelectedEncodingIndex(int index);
    void followActivePageEncoding();
    void recordWrittenEncoding(DocumentPage* page);
    void setPanelText(int panel, const QString& text);
    void setModifiedMarker(DocumentPage* page, int marker);
    void setPageCaption(DocumentPage* page, const QString& caption);
    void setHighlighter(Language language);
    void activatePage(int index);
    void removePage(DocumentPage* page);

    void writeDocument(DocumentPage* page, const QString& path, bool byPageEncoding);
    bool saveActiveDocument();
    bool saveThroughDialog(DocumentPage* page, bool byPageEncoding);
    void SaveEditorToPath(DocumentPage* page, const QString& path, bool byPageEncoding);
    bool SavePageIfModified(int index);
    bool closeActivePage();
    bool closeAllPages();
    Answer askToSave(DocumentPage* page);

    Desktop& m_desktop;
    QStringList m_arguments;
    QString m_settingsPath;
    QHash<QString, std::function<void()>> m_handlers;
    Highlighters* m_highlighters = nullptr;

    QTabWidget* PC = nullptr;
    QStatusBar* Bar = nullptr;
    QList<QLabel*> m_panels;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QActionGroup* m_reopenGroup = nullptr;
    QPointer<QAction> m_checkedReopenItem;

    int m_newDocumentCounter = 0;
    bool m_shownOnce = false;
    bool m_switchingPages = false;
    FileDialogRequest m_openDialogState;
    FileDialogRequest m_saveDialogState;
    SearchCommands m_search{m_desktop, this};
};
