#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// The one family of failures of the program. Every layer throws an Error (or a
// subclass) whose message a shop user can read; the application's default
// handler shows it.
class Error : public std::exception
{
public:
    explicit Error(QString message);

    const QString &message() const { return message_; }
    const char *what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A refusal of the database engine; `code` is SQLite's extended result code.
class StoreError : public Error
{
public:
    StoreError(int code, QString message);

    int code() const { return code_; }

private:
    int code_;
};
