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

// A refusal of the store. Callers decide by its kind, which means the same on
// every engine; the engine's own code and text are kept for a technician.
class StoreError : public Error
{
public:
    enum class Kind {
        Busy,        // another program holds the lock; trying later may work
        Constraint,  // a value the table's rules refuse (a repeated unique name, ...)
        Lost,        // the connection to the server broke off
        Unreachable, // the store cannot be opened or connected to at all
        ReadOnly,    // the store or its folder takes no writes
        Denied,      // no right to this file or this action
        Full,        // no room left on the disk
        Io,          // the disk failed to read or write
        Damaged,     // the file is damaged or is not a catalogue's database
        Refused,     // any other refusal
    };

    StoreError(Kind kind, QString message, QString engineCode = {}, QString engineText = {});

    Kind kind() const { return kind_; }
    // SQLite's extended result code as a number, or the server's SQLSTATE.
    const QString &engineCode() const { return engineCode_; }
    // The engine's own words, untranslated.
    const QString &engineText() const { return engineText_; }
    // What the disk did, as a clause of a sentence ("на диске не хватает
    // места"), naming `folder` where it takes no writes; empty for the
    // kinds that are not the disk's.
    QString diskCause(const QString &folder) const;

private:
    Kind kind_;
    QString engineCode_;
    QString engineText_;
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
