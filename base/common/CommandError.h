#pragma once

#include <QString>

#include <exception>

// The error that stops a command; its message is shown to the user in an error box.
class CommandError : public std::exception {
public:
    explicit CommandError(QString message) : m_message(std::move(message)) {}
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return "command failed"; }

private:
    QString m_message;
};
