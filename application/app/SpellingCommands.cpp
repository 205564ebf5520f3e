#include "app/SpellingCommands.h"

#include "app/StatusPanels.h"
#include "common/Commands.h"
#include "desktop/CommandRegistry.h"
#include "document/DocumentList.h"
#include "document/DocumentPage.h"
#include "editor/SpellChecking.h"
#include "editor/SpellService.h"
#include "spelling/SpellDictionary.h"

#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>

SpellingCommands::SpellingCommands(QMainWindow* window, CommandRegistry& commands,
                                   DocumentList& documents, StatusPanels* statusBar)
    : QObject(window), m_documents(documents),
      m_service(new SpellService(
          SpellDictionary::systemFolders(), SpellService::defaultPersonalListPath(),
          [&commands](const std::function<void()>& work) { return commands.guarded(work); }, this))
{
    commands.add(QString::fromLatin1(Cmd::mnuPisowniaClick), [this] { toggle(); });
    commands.add(QString::fromLatin1(Cmd::mnuJezykPolskiClick),
                 [this] { chooseLanguage(QStringLiteral("pl")); });
    commands.add(QString::fromLatin1(Cmd::mnuJezykAngielskiClick),
                 [this] { chooseLanguage(QStringLiteral("en")); });
    commands.add(QString::fromLatin1(Cmd::mnuNastepnyBladClick), [this] { nextMistake(); });
    connect(&documents, &DocumentList::added, this, &SpellingCommands::attach);
    connect(m_service, &SpellService::problemChanged, statusBar, &QWidget::setToolTip);

    // The menu's items are made from the command map; here they become checkable, and show the
    // active page's state whenever the menu opens.
    m_enabledItem = window->findChild<QAction*>(QStringLiteral("mnuPisownia"));
    m_polishItem = window->findChild<QAction*>(QStringLiteral("mnuJezykPolski"));
    m_englishItem = window->findChild<QAction*>(QStringLiteral("mnuJezykAngielski"));
    auto* languages = new QActionGroup(this);
    for (QAction* item : {m_enabledItem.data(), m_polishItem.data(), m_englishItem.data()})
        if (item)
            item->setCheckable(true);
    if (m_polishItem && m_englishItem) {
        languages->addAction(m_polishItem);
        languages->addAction(m_englishItem);
    }
    if (auto* options = window->findChild<QMenu*>(QStringLiteral("mnuOpcje")))
        connect(options, &QMenu::aboutToShow, this, &SpellingCommands::showState);
}

SpellChecking* SpellingCommands::checkingOf(DocumentPage* page) const
{
    return page ? m_checking.value(page) : nullptr;
}

void SpellingCommands::attach(DocumentPage* page)
{
    m_checking.insert(page, new SpellChecking(page->editor(), *m_service));
    connect(page, &QObject::destroyed, this, [this, page] { m_checking.remove(page); });
}

void SpellingCommands::showState()
{
    SpellChecking* checking = checkingOf(m_documents.active());
    const bool installed = m_service->isInstalled(QStringLiteral("pl")) ||
                           m_service->isInstalled(QStringLiteral("en"));
    if (m_enabledItem) {
        m_enabledItem->setEnabled(checking && installed);
        m_enabledItem->setChecked(checking && installed && checking->isEnabled());
    }
    if (m_polishItem && m_englishItem) {
        m_polishItem->setEnabled(checking && m_service->isInstalled(QStringLiteral("pl")));
        m_englishItem->setEnabled(checking && m_service->isInstalled(QStringLiteral("en")));
        const QString language = checking ? checking->language() : QString();
        m_polishItem->setChecked(language == QLatin1String("pl"));
        m_englishItem->setChecked(language == QLatin1String("en"));
    }
}

void SpellingCommands::toggle()
{
    if (SpellChecking* checking = checkingOf(m_documents.active()))
        checking->setEnabled(!checking->isEnabled());
    showState();
}

void SpellingCommands::chooseLanguage(const QString& language)
{
    if (SpellChecking* checking = checkingOf(m_documents.active()))
        checking->setLanguage(language);
    showState();
}

void SpellingCommands::nextMistake()
{
    if (SpellChecking* checking = checkingOf(m_documents.active()))
        checking->selectNextMistake();
}
