#include "app/TForm1.h"

#include "app/CommandMapBuilder.h"
#include "app/EditorFocus.h"
#include "app/FindInFilesCommands.h"
#include "app/Icons.h"
#include "app/SpellingCommands.h"
#include "app/StatusPanels.h"
#include "app/TitleBar.h"
#include "app/WindowKeys.h"
#include "app/WindowLayout.h"
#include "app/WindowMemory.h"
#include "app/WindowSettings.h"
#include "authoring/Preview.h"
#include "authoring/TFGenerator.h"
#include "authoring/TFKolor.h"
#include "authoring/TFPomoc.h"
#include "common/Commands.h"
#include "desktop/CommandRegistry.h"
#include "desktop/FileDialogs.h"
#include "document/CrashRecovery.h"
#include "document/DocumentEncodings.h"
#include "document/DocumentList.h"
#include "document/DocumentPage.h"
#include "document/DocumentSaver.h"
#include "document/ExternalChanges.h"
#include "editor/Highlighters.h"
#include "encoding/TFPrzekoduj.h"
#include "encoding/TFPrzekodujFolder.h"
#include "files/DocumentReader.h"
#include "files/RewriteJournal.h"

#include <QAction>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QMimeData>
#include <QTabWidget>

TForm1::TForm1(Desktop& desktop, const QStringList& arguments, const QString& settingsPath,
               QWidget* parent)
    : QMainWindow(parent), m_desktop(desktop), m_arguments(arguments),
      m_settingsPath(settingsPath.isEmpty() ? defaultSettingsFilePath() : settingsPath),
      m_commands(std::make_unique<CommandRegistry>(desktop, this)),
      m_openDialogState(openDialogRequest())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tagomir wer.1.2"));
    resize(DesignWidth, DesignHeight);
    setAcceptDrops(true);

    m_highlighters = new Highlighters(QFontDatabase::systemFont(QFontDatabase::FixedFont), this);
    registerHandlers();
    buildWindow();
    new TitleBar(this, PC, desktop);
    new EditorFocus(this, PC);
    new WindowKeys(this, *m_commands, PC, *m_documents, m_search);
    m_memory = new WindowMemory(*this, *m_commands, *m_saver, desktop);
    new FindInFilesCommands(this, *m_commands, desktop);

    m_commands->guarded([this] { LoadWindowGeometry(); });
    m_recovery = new CrashRecovery(
        desktop, *m_encodings, *m_documents,
        [this](DocumentPage* shown) { Bar->setText(3, shown->editor()->documentPath()); }, this);
    connect(m_recovery, &CrashRecovery::copyFailed, Bar, &StatusPanels::showRecoveryWarning);
}

TForm1::~TForm1() = default;

void TForm1::buildWindow()
{
    const WindowLayout parts = buildWindowLayout(this, *m_commands);
    PC = parts.pages;
    Bar = parts.statusBar;
    connect(PC, &QTabWidget::currentChanged, this, &TForm1::PCChange);
    m_documents = new DocumentList(PC, {tabIcon(0), tabIcon(1)}, this);
    connect(m_documents, &DocumentList::added, this, [this](DocumentPage* added) {
        added->editor()->setPopupMenu(PopupMenu2);
        connect(added->editor(), &TSynMemo::statusChange, this, &TForm1::EditorStatusChange);
    });
    buildMainMenu(this, *m_commands);
    PopupMenu2 = buildPopupMenu(this, *m_commands);
    m_checkedReopenItem = findChild<QAction*>(QStringLiteral("SUBmnuUTF8"));
    new SpellingCommands(this, *m_commands, *m_documents, Bar);

    // Window-wide state that the user never sees lives in hidden controls of the top panel.
    m_encodings = std::make_unique<DocumentEncodings>(
        m_desktop, [this](const QString& name) { Bar->setText(2, name); },
        [this] { return activePage(); }, parts.topPanel);
    m_saver = new DocumentSaver(m_desktop, *m_encodings, *m_documents, this);
    connect(m_saver, &DocumentSaver::pageRenamed, m_documents, &DocumentList::setCaption);
    m_externalChanges = std::make_unique<ExternalChanges>(m_desktop, *m_documents, this);
}

void TForm1::registerHandlers()
{
    const std::pair<const char*, void (TForm1::*)()> handlers[] = {
        {Cmd::mnuKoniecClick, &TForm1::mnuKoniecClick},
        {Cmd::mnuNowy1Click, &TForm1::mnuNowy1Click},
        {Cmd::mnuOpenClick, &TForm1::mnuOpenClick},
        {Cmd::mnuZapisClick, &TForm1::mnuZapisClick},
        {Cmd::mnuZapisJakoClick, &TForm1::mnuZapisJakoClick},
        {Cmd::mnuZamknijClick, &TForm1::mnuZamknijClick},
        {Cmd::mnuZamykaAllClick, &TForm1::mnuZamykaAllClick},
        {Cmd::SUBmnuUTF8Click, &TForm1::SUBmnuUTF8Click},
        {Cmd::SubmnuISOClick, &TForm1::SubmnuISOClick},
        {Cmd::SubmnuWinClick, &TForm1::SubmnuWinClick},
        {Cmd::mnuUndoClick, &TForm1::mnuUndoClick},
        {Cmd::mnuRedoClick, &TForm1::mnuRedoClick},
        {Cmd::mnuCutClick, &TForm1::mnuCutClick},
        {Cmd::mnuCopyClick, &TForm1::mnuCopyClick},
        {Cmd::mnuPasteClick, &TForm1::mnuPasteClick},
        {Cmd::mnuDeleteClick, &TForm1::mnuDeleteClick},
        {Cmd::mnuKodowanieClick, &TForm1::mnuKodowanieClick},
        {Cmd::mnuKodowanieFolderuClick, &TForm1::mnuKodowanieFolderuClick},
        {Cmd::mnuFindClick, &TForm1::mnuFindClick},
        {Cmd::mnuFindNextClick, &TForm1::mnuFindNextClick},
        {Cmd::mnuReplaceClick, &TForm1::mnuReplaceClick},
        {Cmd::mnuZamianaNextClick, &TForm1::mnuZamianaNextClick},
        {Cmd::mnuGenTableClick, &TForm1::mnuGenTableClick},
        {Cmd::mnuKolorClick, &TForm1::mnuKolorClick},
        {Cmd::mnuZobaczClick, &TForm1::mnuZobaczClick},
        {Cmd::mnuPomocClick, &TForm1::mnuPomocClick},
    };
    for (const auto& [command, method] : handlers) {
        const auto handler = method; // clang 14 cannot capture a structured binding
        m_commands->add(QString::fromLatin1(command), [this, handler] { (this->*handler)(); });
    }
    addTextCommands(
        *m_commands, [this](const QString& open, const QString& close) { InsertTags(open, close); },
        [this](Language language) { setHighlighter(language); });
}

void TForm1::runCommand(const QString& command)
{
    m_commands->run(command);
}

bool TForm1::hasCommand(const QString& command) const
{
    return m_commands->contains(command);
}

void TForm1::LoadWindowGeometry()
{
    restoreWindowGeometry(this, m_settingsPath);
}

void TForm1::SaveWindowGeometry()
{
    saveWindowGeometry(this, m_settingsPath);
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    centreOnDesktop(this);
    // The window shows first; the files named on the command line open right after.
    QMetaObject::invokeMethod(this, &TForm1::FormShow, Qt::QueuedConnection);
}

void TForm1::FormShow()
{
    offerInterruptedRewrites(m_desktop, this);
    m_recovery->offerRestore();
    openFiles(m_arguments);
    m_memory->start(!m_arguments.isEmpty());
}

void TForm1::openFiles(const QStringList& arguments)
{
    // The first argument decides whether the program was given files at all; then each of
    // them opens on its own, a folder or a device among them only reported.
    if (arguments.isEmpty() || !QFileInfo::exists(arguments.constFirst()))
        return;
    openEach(arguments);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool closed = false;
    const Session open = m_memory->sessionAtClose();
    m_commands->guarded([&] { closed = m_saver->closeAll(); });
    if (!closed) {
        event->ignore();
        return;
    }
    setAcceptDrops(false);
    m_commands->guarded([this] { SaveWindowGeometry(); });
    m_memory->closing(open);
    event->accept();
}

void TForm1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    // Coming back to the window is when the user learns what other programs did to the files.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        QMetaObject::invokeMethod(
            this, [this] { m_commands->guarded([this] { m_externalChanges->check(); }); },
            Qt::QueuedConnection);
}

void TForm1::mnuKoniecClick()
{
    close();
}

void TForm1::contextMenuEvent(QContextMenuEvent* event)
{
    PopupMenu2->popup(event->globalPos());
}

void TForm1::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event)
{
    const QStringList paths = droppedFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // The drag source is let go first; reading the files and any error box come after.
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            openEach(paths);
            m_commands->guarded([this] { btnWykryjClick(); });
        },
        Qt::QueuedConnection);
}

TSynMemo* TForm1::ActiveEditor() const
{
    DocumentPage* current = activePage();
    return current ? current->editor() : nullptr;
}

void TForm1::OpenFileInPage(const QString& caption, const QString& path,
                            std::optional<Encoding> asked)
{
    m_documents->open(
        caption, path,
        [&](DocumentPage* page, DocumentRead& read) {
            Bar->setText(3, path);
            if (path.isEmpty())
                return;
            // Colouring is chosen before the text arrives, so only what is shown gets styled.
            page->editor()->setLexer(m_highlighters->lexer(Language::Html));
            m_encodings->load(page, std::move(read));
        },
        asked);
}

void TForm1::openEach(const QStringList& paths)
{
    // Each file on its own: one that cannot be read is reported and the rest still open.
    for (const QString& path : paths)
        m_commands->guarded([&] { OpenFileInPage(fileNamePart(path), path); });
}

void TForm1::EditorStatusChange(TSynMemo::StatusChanges changes)
{
    auto* editor = qobject_cast<TSynMemo*>(sender());
    if (!editor)
        return;
    const bool modified = editor->isDocumentModified();
    m_documents->setModifiedMarker(qobject_cast<DocumentPage*>(editor->parentWidget()),
                                   modified ? 1 : 0);
    if (editor != ActiveEditor())
        return;
    if (changes & (TSynMemo::StatusAll | TSynMemo::StatusCaretX | TSynMemo::StatusCaretY))
        Bar->showCaret(editor->caretLine(), editor->caretColumn());
    Bar->showPartlyColoured(editor->isCaretLinePartlyColoured());
    Bar->showModified(modified);
}

void TForm1::PCChange(int index)
{
    Q_UNUSED(index);
    DocumentPage* current = activePage();
    if (!current)
        return;
    m_commands->guarded([&] {
        // A page the list makes active (a file opened, a page closed) still shows its own file.
        Bar->setText(3, current->editor()->documentPath());
        Bar->setText(2, current->encodingName());
        if (!m_documents->isSwitching()) {
            m_encodings->resetCharsetLine();
            btnWykryjClick();
            Bar->showPartlyColoured(current->editor()->isCaretLinePartlyColoured());
        }
        m_encodings->followActivePage();
    });
}

void TForm1::mnuNowy1Click()
{
    ++m_newDocumentCounter;
    OpenFileInPage(QStringLiteral("Nowy %1").arg(m_newDocumentCounter), QString());
}

void TForm1::mnuOpenClick()
{
    const std::optional<FileChoice> choice = m_desktop.chooseFileToOpen(this, m_openDialogState);
    if (choice) {
        m_openDialogState.fileName = choice->path;
        m_openDialogState.selectedFilter = choice->filter;
        OpenFileInPage(fileNamePart(choice->path), choice->path);
    }
    btnWykryjClick();
}

void TForm1::btnWykryjClick()
{
    if (DocumentPage* current = activePage())
        m_encodings->detect(current);
}

void TForm1::ReopenAs(Encoding encoding, const char* itemName)
{
    // The check mark moves only when the file has been read again.
    auto* item = findChild<QAction*>(QLatin1String(itemName));
    if (m_checkedReopenItem)
        m_checkedReopenItem->setChecked(true);
    if (DocumentPage* current = activePage(); current && m_encodings->reopen(current, encoding)) {
        item->setChecked(true);
        m_checkedReopenItem = item;
    }
}

void TForm1::SUBmnuUTF8Click()
{
    ReopenAs(EncodingUtf8, "SUBmnuUTF8");
}

void TForm1::SubmnuISOClick()
{
    ReopenAs(EncodingIso88592, "SubmnuISO");
}

void TForm1::SubmnuWinClick()
{
    ReopenAs(EncodingCp1250, "SubmnuWin");
}

void TForm1::mnuKodowanieClick()
{
    // Made on first use and kept for the rest of the run, as the find dialogs are.
    if (!FPrzekoduj)
        FPrzekoduj = new TFPrzekoduj(*m_encodings, *m_saver, *m_commands, this);
    FPrzekoduj->showForActiveDocument();
}

void TForm1::mnuKodowanieFolderuClick()
{
    if (!FPrzekodujFolder)
        FPrzekodujFolder = new TFPrzekodujFolder(m_desktop, *m_documents, this);
    FPrzekodujFolder->showDialog();
}

void TForm1::mnuZapisClick()
{
    if (DocumentPage* current = activePage())
        m_saver->save(current);
}

void TForm1::mnuZapisJakoClick()
{
    if (DocumentPage* current = activePage())
        m_saver->saveAs(current);
}

void TForm1::mnuZamknijClick()
{
    m_saver->closeActive();
}

void TForm1::mnuZamykaAllClick()
{
    m_saver->closeAll();
}

void TForm1::mnuUndoClick()
{
    if (TSynMemo* editor = ActiveEditor())
        editor->undo();
}

void TForm1::mnuRedoClick()
{
    if (TSynMemo* editor = ActiveEditor())
        editor->redo();
}

void TForm1::mnuCutClick()
{
    if (TSynMemo* editor = ActiveEditor(); editor && editor->hasSelection())
        editor->cut();
}

void TForm1::mnuCopyClick()
{
    if (TSynMemo* editor = ActiveEditor(); editor && editor->hasSelection())
        editor->copy();
}

void TForm1::mnuPasteClick()
{
    if (TSynMemo* editor = ActiveEditor())
        editor->paste();
}

void TForm1::mnuDeleteClick()
{
    if (TSynMemo* editor = ActiveEditor(); editor && editor->hasSelection())
        editor->removeSelectedText();
}

void TForm1::mnuFindClick()
{
    m_search.find(ActiveEditor());
}

void TForm1::mnuFindNextClick()
{
    m_search.findNext(ActiveEditor());
}

void TForm1::mnuReplaceClick()
{
    m_search.replace(ActiveEditor());
}

void TForm1::mnuZamianaNextClick()
{
    mnuFindNextClick();
}

void TForm1::mnuGenTableClick()
{
    if (const auto table = ActiveEditor() ? TFGenerator::ask(m_desktop, this) : std::nullopt)
        InsertTags(*table, QStringLiteral(" "));
}

void TForm1::mnuKolorClick()
{
    if (const auto code = ActiveEditor() ? TFKolor::ask(this) : std::nullopt)
        InsertTags(QStringLiteral("color=") + *code, QStringLiteral(" "));
}

void TForm1::mnuZobaczClick()
{
    if (TSynMemo* editor = ActiveEditor())
        previewInBrowser(m_desktop, this, editor->documentPath());
}

void TForm1::mnuPomocClick()
{
    TFPomoc help(this);
    help.exec();
}

void TForm1::setHighlighter(Language language)
{
    TSynMemo* editor = ActiveEditor();
    if (!editor || editor->lexer() == m_highlighters->lexer(language))
        return;
    editor->setLexer(m_highlighters->lexer(language));
    editor->viewport()->update();
}

void TForm1::InsertTags(const QString& openText, const QString& closeText)
{
    TSynMemo* editor = ActiveEditor();
    if (!editor)
        return;
    editor->wrapSelection(openText.toUtf8(), closeText.toUtf8());
    // A click on a tag button must not leave the keyboard elsewhere.
    if (!editor->hasFocus())
        editor->setFocus();
}
