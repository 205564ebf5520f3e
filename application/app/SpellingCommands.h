#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class CommandRegistry;
class DocumentList;
class DocumentPage;
class QAction;
class QMainWindow;
class SpellChecking;
class SpellService;
class StatusPanels;

// The spelling commands of the Opcje menu ("Sprawdzanie pisowni", "Język pisowni", "Następny
// błąd pisowni" on F7) and the spell checking of every page, which they act on for the active one.
// A missing dictionary is told in one line of the status bar's tool tip.
class SpellingCommands : public QObject {
    Q_OBJECT
public:
    SpellingCommands(QMainWindow* window, CommandRegistry& commands, DocumentList& documents,
                     StatusPanels* statusBar);

    SpellService& service() const { return *m_service; }
    // The spell checking of the page, or null.
    SpellChecking* checkingOf(DocumentPage* page) const;

private:
    void attach(DocumentPage* page);
    void showState();
    void toggle();
    void chooseLanguage(const QString& language);
    void nextMistake();

    DocumentList& m_documents;
    SpellService* m_service;
    QHash<const DocumentPage*, QPointer<SpellChecking>> m_checking;
    QPointer<QAction> m_enabledItem;
    QPointer<QAction> m_polishItem;
    QPointer<QAction> m_englishItem;
};
