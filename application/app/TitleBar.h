#pragma once

#include <QObject>
#include <QPointer>

class Desktop;
class DocumentPage;
class QTabWidget;
class QWidget;

// Keeps the application title on the active page's caption ("Tagomir" while no page is open)
// and shows it in the window's title bar after the window's own caption:
// "Tagomir wer.1.2 — a.htm", so the task bar tells the windows' documents apart. Only the
// main window's title bar shows it; dialogs keep their own captions.
class TitleBar : public QObject {
    Q_OBJECT
public:
    TitleBar(QWidget* window, QTabWidget* pages, Desktop& desktop);

    // The text of the title bar for a window caption and an application title.
    static QString text(const QString& caption, const QString& applicationTitle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void followActivePage();
    void update();

    QWidget* m_window;
    Desktop& m_desktop;
    QTabWidget* m_pages;
    QPointer<DocumentPage> m_followed;
    QMetaObject::Connection m_captionConnection;
};
