#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// Errors are exceptions that carry a message text. The class tells callers
// how to treat them: a database error is reported and logged by the query
// component, a conversion error passes through unchanged, an abort is silent.
class Exception : public std::exception {
public:
    explicit Exception(const QString& mensagem);
    const QString& Message() const { return FMensagem; }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMensagem;
    QByteArray FUtf8;
};

// A failed statement, connection or dataset operation.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be created, opened or written (the daily log).
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// A text that cannot be read as the value it should hold.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Cancels an operation without any message to the user.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

// The message of an error caught as a standard exception: ours keep their
// text, others give what().
QString MensagemDoErro(const std::exception& erro);
// The same for an error caught by catch (...).
QString MensagemDoErro(std::exception_ptr erro);
