#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class Desktop;
class QAbstractButton;
class QAction;

// The program's commands by name, and the one place that runs them: an error that stops a
// command is shown to the user in an error box and never reaches the event loop.
class CommandRegistry {
public:
    CommandRegistry(Desktop& desktop, QWidget* window) : m_desktop(desktop), m_window(window) {}

    void add(const QString& command, std::function<void()> handler);
    bool contains(const QString& command) const { return m_handlers.contains(command); }

    // Runs the command's handler; false when it stopped with an error, or when there is no such
    // command (which is shown as an error too).
    bool run(const QString& command);
    // Runs `work`; an error that stops it is shown, and false returned.
    bool guarded(const std::function<void()>& work);

    // The action or button runs the command when triggered or clicked.
    void connect(QAction* action, const QString& command);
    void connect(QAbstractButton* button, const QString& command);

    // Where the commands ask the user and show what they did.
    Desktop& desktop() const { return m_desktop; }

private:
    Desktop& m_desktop;
    QPointer<QWidget> m_window;
    QHash<QString, std::function<void()>> m_handlers;
};
