#pragma once

#include <QString>
#include <exception>

// The program's one exception class. It carries a Czech message meant for the
// user; the UI shows it through the application's default error handler or
// ErrorBox. Errors of the database engine pass through it unchanged.
class ETalvekException : public std::exception
{
public:
    explicit ETalvekException(QString message);

    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8; // kept so that what() stays valid for the object's life
};
