#include "app/CommandMapBuilder.h"

#include "app/AccessKeys.h"
#include "app/CommandMap.h"
#include "app/Icons.h"
#include "authoring/TagCommands.h"
#include "common/Commands.h"
#include "desktop/CommandRegistry.h"
#include "editor/Highlighters.h"

#include <QActionGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QHash>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

struct HighlighterCommand {
    const char* command;
    Language language;
};

constexpr HighlighterCommand HighlighterCommands[] = {
    {Cmd::mnuHtm2Click, Language::Html},         {Cmd::mnuXMLClick, Language::Xml},
    {Cmd::mnuCssClick, Language::Css},           {Cmd::mnuJavaClick, Language::Java},
    {Cmd::mnuJavaJsClick, Language::JavaScript}, {Cmd::mnuPhpClick, Language::Php},
    {Cmd::mnuPerlClick, Language::Perl},         {Cmd::mnuPytonClick, Language::Python},
    {Cmd::podDelphiClick, Language::Pascal},     {Cmd::mnuCppClick, Language::Cpp},
    {Cmd::mnuSqlClick, Language::Sql},
};

bool isMenu(const char* name)
{
    for (const MenuItemDef& item : menuItems())
        if (qstrcmp(item.parent, name) == 0)
            return true;
    return false;
}

} // namespace

void buildMainMenu(QMainWindow* window, CommandRegistry& commands)
{
    auto* menuBar = new QMenuBar(window);
    menuBar->setObjectName(QStringLiteral("MainMenu1"));
    window->setMenuBar(menuBar);

    QHash<QString, QMenu*> menus;
    auto* reopenGroup = new QActionGroup(window);
    reopenGroup->setExclusive(true);

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
        auto* action = new QAction(caption, window);
        action->setObjectName(name);
        if (parentMenu)
            parentMenu->addAction(action);
        else
            menuBar->addAction(action);
        if (*item.shortcut) {
            QList<QKeySequence> keys;
            for (const QString& key : QString::fromLatin1(item.shortcut).split(QLatin1Char(';')))
                keys << QKeySequence(key);
            action->setShortcuts(keys);
            // Two items carry F3; the key belongs to the first, the second only shows it.
            if (name == QLatin1String("mnuZamianaNext"))
                action->setShortcutContext(Qt::WidgetShortcut);
        }
        if (qstrcmp(item.parent, "mnuPrzekoduj") == 0) {
            action->setCheckable(true);
            reopenGroup->addAction(action);
            action->setChecked(name == QLatin1String("SUBmnuUTF8"));
        }
        if (name == QLatin1String("mnuPrzywracaj")) // an option of its own, off at first
            action->setCheckable(true);
        commands.connect(action, QString::fromLatin1(item.command));
    }
    // F1 works even when the menu bar is not in the way of the keyboard focus.
    window->addAction(window->findChild<QAction*>(QStringLiteral("mnuPomoc")));
    giveAccessKeys(menuBar);
}

QMenu* buildPopupMenu(QWidget* owner, CommandRegistry& commands)
{
    auto* popup = new QMenu(owner);
    popup->setObjectName(QStringLiteral("PopupMenu2"));
    for (const MenuItemDef& item : popupMenuItems()) {
        if (qstrcmp(item.caption, "-") == 0) {
            popup->addSeparator()->setObjectName(QString::fromLatin1(item.name));
            continue;
        }
        QAction* action = popup->addAction(QString::fromUtf8(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        commands.connect(action, QString::fromLatin1(item.command));
    }
    giveAccessKeys(popup);
    return popup;
}

void buildToolBar(QFrame* iconPanel, CommandRegistry& commands)
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
        commands.connect(action, QString::fromLatin1(def.command));
    }
}

void addTextCommands(CommandRegistry& commands,
                     const std::function<void(const QString&, const QString&)>& insertTags,
                     const std::function<void(Language)>& colour)
{
    for (const HighlighterCommand& command : HighlighterCommands) {
        const Language language = command.language;
        commands.add(QString::fromLatin1(command.command),
                     [colour, language] { colour(language); });
    }
    for (const TagCommand& tag : tagCommands()) {
        const QString openText = QString::fromUtf8(tag.openText);
        const QString closeText = QString::fromUtf8(tag.closeText);
        commands.add(QString::fromLatin1(tag.command),
                     [insertTags, openText, closeText] { insertTags(openText, closeText); });
    }
}
