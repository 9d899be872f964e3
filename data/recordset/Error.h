#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <vector>

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

// One column of a refused optimistic post: another program stored a value
// other than the one this cursor had read.
struct ColumnConflict
{
    QString label;  // as the user knows the column
    QString stored; // what the other program stored, as the user would read it
    QString typed;  // what this user is storing
};

// A post refused because another program changed the row meanwhile. The
// cursor keeps the user's input and now holds the other program's values,
// so posting again stores the input over them.
class ConflictError : public Error
{
public:
    explicit ConflictError(std::vector<ColumnConflict> conflicts);

    const std::vector<ColumnConflict> &conflicts() const { return conflicts_; }
    // The explanation, naming the button that stores the input; without
    // one, in words that fit any window.
    static QString describe(const std::vector<ColumnConflict> &conflicts,
                            const QString &saveButton);

private:
    std::vector<ColumnConflict> conflicts_;
};
