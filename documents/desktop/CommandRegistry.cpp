#include "desktop/CommandRegistry.h"

#include "common/CommandError.h"
#include "desktop/Desktop.h"

#include <QAbstractButton>
#include <QAction>

void CommandRegistry::add(const QString& command, std::function<void()> handler)
{
    m_handlers.insert(command, std::move(handler));
}

bool CommandRegistry::run(const QString& command)
{
    const auto handler = m_handlers.constFind(command);
    if (handler != m_handlers.constEnd())
        return guarded(*handler);
    // A control wired to a command nobody handles is the program's fault: said, not swallowed.
    m_desktop.showError(m_window, QStringLiteral("Polecenie %1 nie istnieje.").arg(command));
    return false;
}

bool CommandRegistry::guarded(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const CommandError& error) {
        m_desktop.showError(m_window, error.message());
    } catch (const std::bad_alloc&) {
        m_desktop.showError(m_window, QStringLiteral("Za mało pamięci, by wykonać polecenie."));
    } catch (const std::exception& error) {
        m_desktop.showError(m_window, QString::fromLocal8Bit(error.what()));
    }
    return false;
}

void CommandRegistry::connect(QAction* action, const QString& command)
{
    QObject::connect(action, &QAction::triggered, m_window, [this, command] { run(command); });
}

void CommandRegistry::connect(QAbstractButton* button, const QString& command)
{
    QObject::connect(button, &QAbstractButton::clicked, m_window,
                     [this, command] { run(command); });
}
