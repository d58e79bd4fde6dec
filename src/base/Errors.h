#pragma once
// Failures are exceptions carrying the text the user will see, and the name
// of their class, which some reports show ("Classe: ...").

#include <QList>
#include <QString>
#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const { return m_message; }
    virtual QString className() const { return QStringLiteral("Exception"); }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A failure reported by the database client, with its message and error codes.
class EDatabaseError : public Exception {
public:
    EDatabaseError(QString message, QList<long> codes = {}) : Exception(std::move(message)), m_codes(std::move(codes))
    {}
    QString className() const override { return QStringLiteral("EDatabaseError"); }
    const QList<long>& codes() const { return m_codes; }

private:
    QList<long> m_codes;
};

class EIniFileException : public Exception {
public:
    using Exception::Exception;
    QString className() const override { return QStringLiteral("EIniFileException"); }
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
    QString className() const override { return QStringLiteral("EConvertError"); }
};
