#include "app/TForm1.h"

#include "app/CommandError.h"
#include "app/CommandMap.h"
#include "app/Desktop.h"
#include "app/DocumentPage.h"
#include "app/FileAccess.h"
#include "app/Highlighters.h"
#include "app/Icons.h"
#include "app/WindowSettings.h"
#include "authoring/TagCommands.h"
#include "encoding/CharsetDetection.h"
#include "encoding/DocumentCodec.h"
#include "encoding/EncodingNames.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int DesignWidth = 781;
constexpr int DesignHeight = 536;
constexpr int MinimumWidth = 320;
constexpr int MinimumHeight = 240;

const QString ModifiedText = QStringLiteral("   Zmieniony  ");

struct FilterDef {
    const char* description;
    const char* patterns;
};

constexpr FilterDef OpenFilters[] = {
    {"Plik HTML (htm; html)", "*.htm;*.html"},
    {"Dowolny plik  (*.*)", "*.*"},
    {"Plik Delphi (pas;dpr;dpk;inc)", "*.pas;*.dpr;*.dpk;*.inc"},
    {"Plik Cpp (c, cpp, h, hpp)", "*.c;*.cpp;*.h;*.hpp"},
    {"Plik PHP (php, php3, phtml, inc)", "*.php;*.php3;*.phtml;*.inc"},
    {"Plik Perla (pl, pm, cgi)", "*.pl;*.pm;*.cgi"},
    {"Plik XML (xml, xsd, xsl, xslt, dtd)", "*.xml;*.xsd;*.xsl;*.xslt;*.dtd"},
    {"Plik Pytona (py)", "*.py"},
    {"Plik CSS (.css)", "*.css"},
    {"Plik Java  (.js, .java)", "*.js;*.java"},
    {"Plik SQL (.sql)", "*.sql"},
};

constexpr FilterDef SaveFilters[] = {
    {"Plik HTML (*.htm; *.html)", "*.htm;*.html"},
    {"Dowolny Plik  (*.*)", "*.*"},
};

// Qt's filter form: the description followed by the patterns in brackets, which the dialogs
// hide. "*.*" means any file, with or without a dot in its name.
template <std::size_t N> QStringList dialogFilters(const FilterDef (&filters)[N])
{
    QStringList list;
    for (const FilterDef& filter : filters) {
        QString patterns = QString::fromLatin1(filter.patterns);
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (patterns == QLatin1String("*.*"))
            patterns = QStringLiteral("*");
        list << QStringLiteral("%1 (%2)").arg(QString::fromUtf8(filter.description), patterns);
    }
    return list;
}

struct HighlighterCommand {
    const char* command;
    Language language;
};

constexpr HighlighterCommand HighlighterCommands[] = {
    {"mnuHtm2Click", Language::Html},         {"mnuXMLClick", Language::Xml},
    {"mnuCssClick", Language::Css},           {"mnuJavaClick", Language::Java},
    {"mnuJavaJsClick", Language::JavaScript}, {"mnuPhpClick", Language::Php},
    {"mnuPerlClick", Language::Perl},         {"mnuPytonClick", Language::Python},
    {"podDelphiClick", Language::Pascal},     {"mnuCppClick", Language::Cpp},
    {"mnuSqlClick", Language::Sql},
};

// A canonical name for comparing files: the real path of an existing file, else the absolute,
// cleaned path.
QString comparablePath(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString escapedTabText(const QString& caption)
{
    QString text = caption;
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// Sets a flag for the lifetime of a scope.
class FlagGuard {
public:
    explicit FlagGuard(bool& flag) : m_flag(flag), m_old(flag) { m_flag = true; }
    ~FlagGuard() { m_flag = m_old; }

private:
    bool& m_flag;
    bool m_old;
};

} // namespace

TForm1::TForm1(Desktop& desktop, const QStringList& arguments, const QString& settingsPath,
               QWidget* parent)
    : QMainWindow(parent), m_desktop(desktop), m_arguments(arguments),
      m_settingsPath(settingsPath.isEmpty()
                         ? QCoreApplication::applicationDirPath() + QStringLiteral("/Tagomir.dat")
                         : settingsPath)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tagomir wer.1.2"));
    resize(DesignWidth, DesignHeight);
    setAcceptDrops(true);

    m_highlighters = new Highlighters(QFontDatabase::systemFont(QFontDatabase::FixedFont), this);
    registerHandlers();
    buildWindow();

    m_openDialogState = {dialogFilters(OpenFilters), {}, {}, QStringLiteral("htm")};
    m_saveDialogState = {dialogFilters(SaveFilters), {}, {}, QStringLiteral("htm")};

    guarded([this] { LoadWindowGeometry(); });
}

TForm1::~TForm1() = default;

// --- Building the window ----------------------------------------------------------------

void TForm1::buildWindow()
{
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* topPanel = new QFrame(central);
    topPanel->setObjectName(QStringLiteral("Panel1"));
    topPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    auto* topLayout = new QVBoxLayout(topPanel);
    topLayout->setContentsMargins(1, 1, 1, 1);
    topLayout->setSpacing(0);

    auto* iconPanel = new QFrame(topPanel);
    iconPanel->setObjectName(QStringLiteral("pnlIkon"));
    iconPanel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    iconPanel->setFixedHeight(36);
    buildToolBar(iconPanel);
    topLayout->addWidget(iconPanel);

    auto* tagPanel = new QFrame(topPanel);
    tagPanel->setObjectName(QStringLiteral("pnlTaga"));
    tagPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    tagPanel->setFixedHeight(29);
    buildTagButtons(tagPanel);
    topLayout->addWidget(tagPanel);

    // Window-wide state that the user never sees.
    Label2 = new QLabel(QStringLiteral("Label2"), topPanel);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("00"), topPanel);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label2->setTextFormat(Qt::PlainText);
    Label3->setTextFormat(Qt::PlainText);
    ComboBox1 = new QComboBox(topPanel);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    for (int index = EncodingUtf8; index <= EncodingUnknown; ++index)
        ComboBox1->addItem(encodingName(index));
    ComboBox1->setCurrentIndex(NoEncoding);
    for (QWidget* hidden : {static_cast<QWidget*>(Label2), static_cast<QWidget*>(Label3),
                            static_cast<QWidget*>(ComboBox1)})
        hidden->hide();
    layout->addWidget(topPanel);

    PC = new QTabWidget(central);
    PC->setObjectName(QStringLiteral("PC"));
    PC->setDocumentMode(true);
    PC->setUsesScrollButtons(true);
    QFont tabFont = PC->font();
    tabFont.setPixelSize(13);
    tabFont.setBold(false);
    PC->setFont(tabFont);
    connect(PC, &QTabWidget::currentChanged, this, &TForm1::PCChange);
    layout->addWidget(PC, 1);

    auto* bottomPanel = new QFrame(central);
    bottomPanel->setObjectName(QStringLiteral("Panel2"));
    bottomPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    buildStatusBar(bottomPanel);
    layout->addWidget(bottomPanel);

    setCentralWidget(central);
    buildMenus();
}

void TForm1::buildMenus()
{
    auto* menuBar = new QMenuBar(this);
    menuBar->setObjectName(QStringLiteral("MainMenu1"));
    setMenuBar(menuBar);

    QHash<QString, QMenu*> menus;
    auto isMenu = [](const char* name) {
        for (const MenuItemDef& item : menuItems())
            if (qstrcmp(item.parent, name) == 0)
                return true;
        return false;
    };

    m_reopenGroup = new QActionGroup(this);
    m_reopenGroup->setExclusive(true);

    for (const MenuItemDef& item : menuItems()) {
        const QString name = QString::fromLatin1(item.name);
        const QString caption = QString::fromUtf8(item.caption);
        QMenu* parentMenu = menus.value(QString::fromLatin1(item.parent));
        if (isMenu(item.name)) {
            auto* menu = parentMenu ? parentMenu->addMenu(caption) : menuBar->addMenu(caption);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            menus.insert(name, menu);
            continue;
        }
        if (caption == QLatin1String("-")) {
            parentMenu->addSeparator()->setObjectName(name);
            continue;
        }
        auto* action = new QAction(caption, this);
        action->setObjectName(name);
        if (parentMenu)
            parentMenu->addAction(action);
        else
            menuBar->addAction(action);
        if (*item.shortcut) {
            action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
            // Two items carry F3; the key belongs to the first, the second only shows it.
            if (name == QLatin1String("mnuZamianaNext"))
                action->setShortcutContext(Qt::WidgetShortcut);
        }
        if (qstrcmp(item.parent, "mnuPrzekoduj") == 0) {
            action->setCheckable(true);
            m_reopenGroup->addAction(action);
            if (name == QLatin1String("SUBmnuUTF8")) {
                action->setChecked(true);
                m_checkedReopenItem = action;
            }
        }
        connectCommand(action, QString::fromLatin1(item.command));
    }
    addAction(findChild<QAction*>(QStringLiteral("mnuPomoc")));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    for (const MenuItemDef& item : popupMenuItems()) {
        if (qstrcmp(item.caption, "-") == 0) {
            PopupMenu2->addSeparator()->setObjectName(QString::fromLatin1(item.name));
            continue;
        }
        QAction* action = PopupMenu2->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        connectCommand(action, QString::fromLatin1(item.command));
    }
}

void TForm1::buildToolBar(QFrame* iconPanel)
{
    auto* toolBar = new QToolBar(iconPanel);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setIconSize(QSize(16, 16));
    toolBar->setMovable(false);
    toolBar->setFloatable(false);
    toolBar->setContextMenuPolicy(Qt::NoContextMenu);
    toolBar->setStyleSheet(QStringLiteral("QToolBar { border: 0px; spacing: 0px; }"));
    auto* layout = new QHBoxLayout(iconPanel);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(toolBar);

    for (const ToolButtonDef& def : toolButtons()) {
        const QString name = QString::fromLatin1(def.name);
        if (!*def.hint) {
            auto* spacer = new QWidget(toolBar);
            spacer->setObjectName(name);
            spacer->setFixedWidth(8);
            toolBar->addWidget(spacer);
            continue;
        }
        auto* action = new QAction(toolbarIcon(def.image), QString::fromUtf8(def.hint), toolBar);
        action->setObjectName(name);
        action->setToolTip(QString::fromUtf8(def.hint));
        toolBar->addAction(action);
        QWidget* button = toolBar->widgetForAction(action);
        button->setObjectName(name);
        button->setFixedSize(30, 26);
        connectCommand(action, QString::fromLatin1(def.command));
    }
}

void TForm1::buildTagButtons(QFrame* tagPanel)
{
    // A 13-pixel bold face; where the desktop's sans-serif runs wide, a narrower one of the
    // same height keeps the row within the window.
    QFont font = tagPanel->font();
    font.setPixelSize(13);
    font.setBold(true);
    font.setStretch(QFont::SemiCondensed);
    tagPanel->setFont(font);
    QPalette palette = tagPanel->palette();
    palette.setColor(QPalette::ButtonText, QColor(128, 0, 0));
    tagPanel->setPalette(palette);

    // The row keeps its positions and gaps; a caption wider than its place widens it and
    // moves the buttons after it along.
    const QFontMetrics metrics(font);
    int shift = 0;
    for (const TagButtonDef& def : tagButtons()) {
        const QString caption = QString::fromUtf8(def.caption);
        auto* button = new QPushButton(caption, tagPanel);
        button->setObjectName(QString::fromLatin1(def.name));
        button->setFocusPolicy(Qt::NoFocus);
        const int width = qMax(def.width, metrics.horizontalAdvance(caption) + 6);
        button->setGeometry(def.left + shift, 1, width, 25);
        shift += width - def.width;
        connectCommand(button, QString::fromLatin1(def.command));
        tagPanel->setMinimumWidth(button->geometry().right() + 6);
    }
}

void TForm1::buildStatusBar(QFrame* bottomPanel)
{
    auto* layout = new QHBoxLayout(bottomPanel);
    layout->setContentsMargins(0, 0, 0, 0);
    Bar = new QStatusBar(bottomPanel);
    Bar->setObjectName(QStringLiteral("Bar"));
    Bar->setSizeGripEnabled(false);
    QFont font = Bar->font();
    font.setPixelSize(13);
    font.setBold(true);
    Bar->setFont(font);
    // The panels keep their widths unless their usual texts need more room.
    const int widths[] = {70, 70, 70, 50};
    const QString widestTexts[] = {QStringLiteral(" 99999: 999 "), ModifiedText + QLatin1Char(' '),
                                   QStringLiteral(" ISO-8859-2 "), QString()};
    const QFontMetrics metrics(font);
    for (int panel = 0; panel < 4; ++panel) {
        auto* label = new QLabel(Bar);
        label->setObjectName(QStringLiteral("BarPanel%1").arg(panel));
        label->setTextFormat(Qt::PlainText);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        const int width = qMax(widths[panel], metrics.horizontalAdvance(widestTexts[panel]) + 6);
        if (panel < 3)
            label->setFixedWidth(width);
        else
            label->setMinimumWidth(width);
        Bar->addWidget(label, panel == 3 ? 1 : 0);
        m_panels << label;
    }
    layout->addWidget(Bar);
}

// --- Commands -------------------------------------------------------------------------

void TForm1::registerHandlers()
{
    const std::pair<const char*, void (TForm1::*)()> handlers[] = {
        {"mnuKoniecClick", &TForm1::mnuKoniecClick},
        {"mnuNowy1Click", &TForm1::mnuNowy1Click},
        {"mnuOpenClick", &TForm1::mnuOpenClick},
        {"mnuZapisClick", &TForm1::mnuZapisClick},
        {"mnuZapisJakoClick", &TForm1::mnuZapisJakoClick},
        {"mnuZamknijClick", &TForm1::mnuZamknijClick},
        {"mnuZamykaAllClick", &TForm1::mnuZamykaAllClick},
        {"SUBmnuUTF8Click", &TForm1::SUBmnuUTF8Click},
        {"SubmnuISOClick", &TForm1::SubmnuISOClick},
        {"SubmnuWinClick", &TForm1::SubmnuWinClick},
        {"mnuUndoClick", &TForm1::mnuUndoClick},
        {"mnuRedoClick", &TForm1::mnuRedoClick},
        {"mnuCutClick", &TForm1::mnuCutClick},
        {"mnuCopyClick", &TForm1::mnuCopyClick},
        {"mnuPasteClick", &TForm1::mnuPasteClick},
        {"mnuDeleteClick", &TForm1::mnuDeleteClick},
        {"mnuFindClick", &TForm1::mnuFindClick},
        {"mnuFindNextClick", &TForm1::mnuFindNextClick},
        {"mnuReplaceClick", &TForm1::mnuReplaceClick},
        {"mnuZamianaNextClick", &TForm1::mnuZamianaNextClick},
    };
    for (const auto& [command, handler] : handlers)
        m_handlers.insert(QString::fromLatin1(command), [this, handler] { (this->*handler)(); });
    for (const HighlighterCommand& command : HighlighterCommands) {
        const Language language = command.language;
        m_handlers.insert(QString::fromLatin1(command.command),
                          [this, language] { setHighlighter(language); });
    }
    for (const TagCommand& tag : tagCommands()) {
        const QString openText = QString::fromUtf8(tag.openText);
        const QString closeText = QString::fromUtf8(tag.closeText);
        m_handlers.insert(QString::fromLatin1(tag.command),
                          [this, openText, closeText] { InsertTags(openText, closeText); });
    }
}

void TForm1::connectCommand(QAction* action, const QString& command)
{
    connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
}

void TForm1::connectCommand(QAbstractButton* button, const QString& command)
{
    connect(button, &QAbstractButton::clicked, this, [this, command] { runCommand(command); });
}

void TForm1::runCommand(const QString& command)
{
    const auto handler = m_handlers.constFind(command);
    if (handler != m_handlers.constEnd())
        guarded(*handler);
}

bool TForm1::guarded(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const CommandError& error) {
        m_desktop.showError(this, error.message());
    } catch (const std::bad_alloc&) {
        m_desktop.showError(this, QStringLiteral("Za mało pamięci, by wykonać polecenie."));
    } catch (const std::exception& error) {
        m_desktop.showError(this, QString::fromLocal8Bit(error.what()));
    }
    return false;
}

// --- Start-up and closing ---------------------------------------------------------------

void TForm1::LoadWindowGeometry()
{
    if (!QFileInfo::exists(m_settingsPath))
        return;
    const WindowSettings settings = parseWindowSettings(readWholeFile(m_settingsPath));
    const QRect desktop = screen() ? screen()->virtualGeometry() : QRect(0, 0, 1024, 768);
    // A value that would make the window vanish or outgrow the desktop is kept within it.
    const auto clampWidth = [&](int w) {
        return qBound(MinimumWidth, w, qMax(MinimumWidth, desktop.width()));
    };
    const auto clampHeight = [&](int h) {
        return qBound(MinimumHeight, h, qMax(MinimumHeight, desktop.height()));
    };
    const auto& v = settings.values;
    if (settings.count > 0)
        resize(clampWidth(v[0]), height());
    if (settings.count > 1)
        resize(width(), clampHeight(v[1]));
    if (settings.count > 2)
        move(v[2], y());
    if (settings.count > 3)
        move(x(), v[3]);
    if (!settings.error.isEmpty())
        throw CommandError(settings.error);
}

void TForm1::SaveWindowGeometry()
{
    const QRect frame = frameGeometry();
    writeWholeFile(m_settingsPath, formatWindowSettings(QRect(frame.topLeft(), size())));
}

void TForm1::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    const QRect desktop = screen() ? screen()->virtualGeometry() : QRect();
    move(desktop.x() + qMax(0, (desktop.width() - frameGeometry().width()) / 2),
         desktop.y() + qMax(0, (desktop.height() - frameGeometry().height()) / 2));
    // The window shows first; the files named on the command line open right after.
    QMetaObject::invokeMethod(this, &TForm1::FormShow, Qt::QueuedConnection);
}

void TForm1::FormShow()
{
    if (m_arguments.isEmpty() || !isExistingFile(m_arguments.constFirst()))
        return;
    guarded([this] {
        for (const QString& argument : std::as_const(m_arguments))
            OpenFileInPage(fileNamePart(argument), argument);
    });
}

void TForm1::closeEvent(QCloseEvent* event)
{
    bool closed = false;
    guarded([&] { closed = closeAllPages(); });
    if (!closed) {
        event->ignore();
        return;
    }
    setAcceptDrops(false);
    guarded([this] { SaveWindowGeometry(); });
    event->accept();
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
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // The drag source is let go first; reading the files and any error box come after.
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            guarded([&] {
                for (const QString& path : paths)
                    OpenFileInPage(fileNamePart(path), path);
                btnWykryjClick();
            });
        },
        Qt::QueuedConnection);
}

// --- Pages ------------------------------------------------------------------------------

int TForm1::pageCount() const
{
    return PC->count();
}

DocumentPage* TForm1::page(int index) const
{
    return qobject_cast<DocumentPage*>(PC->widget(index));
}

DocumentPage* TForm1::activePage() const
{
    return qobject_cast<DocumentPage*>(PC->currentWidget());
}

TSynMemo* TForm1::ActiveEditor() const
{
    DocumentPage* current = activePage();
    return current ? current->editor() : nullptr;
}

QString TForm1::panelText(int panel) const
{
    return m_panels.value(panel) ? m_panels[panel]->text() : QString();
}

void TForm1::setPanelText(int panel, const QString& text)
{
    m_panels[panel]->setText(text);
}

int TForm1::selectedEncodingIndex() const
{
    return ComboBox1->currentIndex();
}

void TForm1::setSelectedEncodingIndex(int index)
{
    ComboBox1->setCurrentIndex(index);
}

int TForm1::FindPageOfFile(const QString& path) const
{
    if (path.isEmpty())
        return -1;
    const QString sought = comparablePath(path);
    for (int index = 0; index < pageCount(); ++index) {
        const QString pagePath = page(index)->editor()->documentPath();
        if (!pagePath.isEmpty() && comparablePath(pagePath) == sought)
            return index;
    }
    return -1;
}

void TForm1::activatePage(int index)
{
    const FlagGuard programmatic(m_switchingPages);
    PC->setCurrentIndex(index);
}

void TForm1::setPageCaption(DocumentPage* page, const QString& caption)
{
    page->setCaption(caption);
    PC->setTabText(PC->indexOf(page), escapedTabText(caption));
}

void TForm1::setModifiedMarker(DocumentPage* page, int marker)
{
    if (!page || page->modifiedMarker() == marker)
        return;
    page->setModifiedMarker(marker);
    PC->setTabIcon(PC->indexOf(page), tabIcon(marker));
}

void TForm1::OpenFileInPage(const QString& caption, const QString& path)
{
    const int existing = FindPageOfFile(path);
    if (existing >= 0) {
        activatePage(existing);
        return;
    }

    auto* newPage = new DocumentPage(caption);
    {
        const FlagGuard programmatic(m_switchingPages);
        PC->addTab(newPage, tabIcon(0), escapedTabText(caption));
    }
    TSynMemo* editor = newPage->editor();
    editor->setDocumentPath(path);
    setPanelText(3, path);
    editor->setPopupMenu(PopupMenu2);
    connect(editor, &TSynMemo::statusChange, this, &TForm1::EditorStatusChange);

    if (path.isEmpty()) {
        activatePage(PC->count() - 1);
        return;
    }
    const QByteArray fileBytes = readWholeFile(path);
    activatePage(PC->count() - 1);
    // Colouring is chosen before the text arrives, so only what is shown gets styled.
    editor->setLexer(m_highlighters->lexer(Language::Html));
    DecodeLoadedText(fileBytes);
}

void TForm1::removePage(DocumentPage* page)
{
    {
        const FlagGuard programmatic(m_switchingPages);
        const int index = PC->indexOf(page);
        const bool wasLast = index == PC->count() - 1;
        PC->removeTab(index);
        // The page that followed becomes active, or the first one after the last was closed.
        if (wasLast && PC->count() > 0)
            PC->setCurrentIndex(0);
    }
    page->deleteLater();
    page->hide();
    page->setParent(nullptr);
}

void TForm1::EditorStatusChange(TSynMemo::StatusChanges changes)
{
    auto* editor = qobject_cast<TSynMemo*>(sender());
    if (!editor)
        return;
    const bool modified = editor->isDocumentModified();
    setModifiedMarker(qobject_cast<DocumentPage*>(editor->parentWidget()), modified ? 1 : 0);
    if (editor != ActiveEditor())
        return;
    if (changes & (TSynMemo::StatusAll | TSynMemo::StatusCaretX | TSynMemo::StatusCaretY))
        setPanelText(0, QString::asprintf("%4d: %2d", editor->caretLine(), editor->caretColumn()));
    setPanelText(1, modified ? ModifiedText : QString());
}

void TForm1::PCChange(int index)
{
    Q_UNUSED(index);
    DocumentPage* current = activePage();
    if (!current)
        return;
    if (!m_switchingPages) {
        Label3->setText(QStringLiteral("00"));
        btnWykryjClick();
        setPanelText(3, current->editor()->documentPath());
        setPanelText(2, current->encodingName());
        QGuiApplication::setApplicationDisplayName(current->caption());
        current->editor()->setFocus();
    }
    followActivePageEncoding();
}

void TForm1::followActivePageEncoding()
{
    // No page is ever written in another page's encoding: the selection follows the page.
    DocumentPage* current = activePage();
    const int index = current ? encodingIndexOfName(current->encodingName()) : -1;
    if (index >= 0)
        setSelectedEncodingIndex(index == EncodingUnknown ? EncodingCp1250 : index);
}

void TForm1::mnuNowy1Click()
{
    ++m_newDocumentCounter;
    OpenFileInPage(QStringLiteral("Nowy %1").arg(m_newDocumentCounter), QString());
    ActiveEditor()->setFocus();
    QGuiApplication::setApplicationDisplayName(activePage()->caption());
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

// --- Encoding detection and reopening ---------------------------------------------------

void TForm1::btnWykryjClick()
{
    if (TSynMemo* editor = ActiveEditor()) {
        detectCharset(editor->textBytes());
        followActivePageEncoding();
    }
}

void TForm1::detectCharset(QByteArrayView lines)
{
    Label3->setText(QStringLiteral("0"));
    const CharsetLine found = findCharsetLine(lines);
    if (found.index >= 0) {
        Label2->setText(QString::fromLatin1(found.loweredText));
        Label3->setText(QString::number(found.index));
        ClassifyCharsetLine();
    }
    DocumentPage* current = activePage();
    if (current->encodingName().isEmpty()) {
        current->setEncodingName(encodingName(EncodingUnknown));
        setPanelText(2, current->encodingName());
    }
}

void TForm1::ClassifyCharsetLine()
{
    const QString name = ::ClassifyCharsetLine(Label2->text().toLatin1());
    if (name.isEmpty())
        return;
    activePage()->setEncodingName(name);
    setPanelText(2, name);
}

void TForm1::DecodeLoadedText(const QByteArray& fileBytes)
{
    DocumentPage* current = activePage();
    TSynMemo* editor = current->editor();
    detectCharset(fileBytes);
    // An undeclared file that is valid UTF-8 with letters beyond ASCII is read as UTF-8;
    // decoding it as windows-1250 would garble it and corrupt it on the next save.
    if (current->encodingName() == encodingName(EncodingUnknown) && isMultibyteUtf8(fileBytes)) {
        current->setEncodingName(encodingName(EncodingUtf8));
        setPanelText(2, current->encodingName());
    }
    const int shown = encodingIndexOfName(panelText(2));
    const int index = shown == EncodingUnknown || shown < 0 ? EncodingCp1250 : shown;
    setSelectedEncodingIndex(index);
    editor->loadFile(fileBytes, index);
}

void TForm1::ReopenAs(const QString& name, QAction* item)
{
    // The check mark moves only when the file has been read again.
    if (m_checkedReopenItem)
        m_checkedReopenItem->setChecked(true);
    DocumentPage* current = activePage();
    if (!current)
        return;
    TSynMemo* editor = current->editor();
    if (editor->isDocumentModified()) {
        const QString question =
            QStringLiteral("Dokument \"%1\" ma niezapisane zmiany, które zostaną utracone.\r"
                           "Czy wczytać go ponownie jako %2?")
                .arg(current->caption(), name);
        if (m_desktop.askYesNoCancel(this, question) != Answer::Yes)
            return;
    }
    const QByteArray fileBytes = readWholeFile(editor->documentPath());
    item->setChecked(true);
    m_checkedReopenItem = item;
    current->setEncodingName(name);
    setPanelText(2, name);
    const int index = encodingIndexOfName(name);
    setSelectedEncodingIndex(index);
    editor->loadFile(fileBytes, index);
}

void TForm1::SUBmnuUTF8Click()
{
    ReopenAs(encodingName(EncodingUtf8), findChild<QAction*>(QStringLiteral("SUBmnuUTF8")));
}

void TForm1::SubmnuISOClick()
{
    ReopenAs(encodingName(EncodingIso88592), findChild<QAction*>(QStringLiteral("SubmnuISO")));
}

void TForm1::SubmnuWinClick()
{
    ReopenAs(encodingName(EncodingCp1250), findChild<QAction*>(QStringLiteral("SubmnuWin")));
}

// --- Saving and closing -------------------------------------------------------------------

void TForm1::writeDocument(DocumentPage* page, const QString& path, bool byPageEncoding)
{
    // What the file ends up with: the page's own encoding when closing all documents, else the
    // selected encoding, else the editor's characters as they stand with the file's own line
    // breaks. It is computed and written once, replacing the old file only when all is written.
    static constexpr SaveForm Forms[] = {SaveForm::Utf8, SaveForm::Iso88592, SaveForm::Cp1250,
                                         SaveForm::EightBit};
    TSynMemo* editor = page->editor();
    SaveForm form = SaveForm::EightBit;
    LineBreak lineBreak = editor->lineBreak();
    const int pageIndex = byPageEncoding ? encodingIndexOfName(page->encodingName()) : -1;
    const int selected = selectedEncodingIndex();
    if (pageIndex >= 0) {
        form = Forms[pageIndex];
        lineBreak = LineBreak::CrLf;
    } else if (selected >= EncodingUtf8 && selected <= EncodingCp1250) {
        form = Forms[selected];
        lineBreak = LineBreak::CrLf;
    }
    const QByteArrayView text = editor->textBytes();
    writeWholeFile(path, text.size(),
                   [&](const ByteSink& sink) { encodeDocument(text, form, lineBreak, sink); });
}

void TForm1::SaveEditorToPath(DocumentPage* page, const QString& path, bool byPageEncoding)
{
    writeDocument(page, path, byPageEncoding);
    page->editor()->setDocumentPath(path);
    page->editor()->markSaved();
    setPageCaption(page, fileNamePart(path));
    recordWrittenEncoding(page);
}

void TForm1::recordWrittenEncoding(DocumentPage* page)
{
    // A new document takes the encoding its file was first written in, so that later saves,
    // whichever page was active before, keep writing it the same way.
    if (!page->encodingName().isEmpty())
        return;
    const int selected = selectedEncodingIndex();
    page->setEncodingName(encodingName(
        selected >= EncodingUtf8 && selected <= EncodingCp1250 ? selected : EncodingUnknown));
    if (page == activePage())
        setPanelText(2, page->encodingName());
}

bool TForm1::saveThroughDialog(DocumentPage* page, bool byPageEncoding)
{
    const std::optional<FileChoice> choice = m_desktop.chooseFileToSave(this, m_saveDialogState);
    if (!choice)
        return false;
    m_saveDialogState.fileName = choice->path;
    m_saveDialogState.selectedFilter = choice->filter;
    SaveEditorToPath(page, choice->path, byPageEncoding);
    return true;
}

bool TForm1::saveActiveDocument()
{
    DocumentPage* current = activePage();
    if (!current)
        return false;
    TSynMemo* editor = current->editor();
    if (!isExistingFile(editor->documentPath()))
        return saveThroughDialog(current, false);
    writeDocument(current, editor->documentPath(), false);
    editor->markSaved();
    recordWrittenEncoding(current);
    return true;
}

void TForm1::mnuZapisClick()
{
    saveActiveDocument();
}

void TForm1::mnuZapisJakoClick()
{
    if (DocumentPage* current = activePage())
        saveThroughDialog(current, false);
}

bool TForm1::SavePageIfModified(int index)
{
    DocumentPage* target = page(index);
    if (!target->editor()->isDocumentModified())
        return true;
    if (isExistingFile(target->editor()->documentPath())) {
        SaveEditorToPath(target, target->editor()->documentPath(), true);
        return true;
    }
    return saveThroughDialog(target, true);
}

Answer TForm1::askToSave(DocumentPage* page)
{
    return m_desktop.askYesNoCancel(
        this, QStringLiteral("Dokument \"%1\" został zmodyfikowany.\rCzy chcesz go zapisać?")
                  .arg(page->caption()));
}

bool TForm1::closeActivePage()
{
    DocumentPage* current = activePage();
    if (!current)
        return true;
    if (current->editor()->isDocumentModified()) {
        // Cancel, or a save that did not happen, keeps the document open.
        const Answer answer = askToSave(current);
        if (answer == Answer::Cancel || (answer == Answer::Yes && !saveActiveDocument()))
            return false;
    }
    removePage(current);
    return true;
}

bool TForm1::closeAllPages()
{
    while (DocumentPage* current = activePage()) {
        if (current->editor()->isDocumentModified()) {
            const Answer answer = askToSave(current);
            if (answer == Answer::Cancel ||
                (answer == Answer::Yes && !SavePageIfModified(PC->currentIndex())))
                return false;
        }
        removePage(current);
    }
    return true;
}

void TForm1::mnuZamknijClick()
{
    closeActivePage();
}

void TForm1::mnuZamykaAllClick()
{
    closeAllPages();
}

// --- Editing and colouring ------------------------------------------------------------------

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
