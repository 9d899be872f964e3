#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

// The copies of a catalogue, kept in the folder "db-backups" beside it, and
// the rule that decides which of them stay.
class BackupFolder
{
public:
    enum class Kind { Daily, Manual, BeforeRestore };

    struct Entry
    {
        QString path;
        Kind kind = Kind::Daily;
        QDate day;       // from the name: the day the copy belongs to
        QDateTime taken; // when it was made, as far as the folder tells
        qint64 size = 0; // bytes
    };

    // The folder that belongs to the catalogue file `catalogue`.
    explicit BackupFolder(const QString &catalogue);

    const QString &path() const { return folder_; }
    // Makes the folder if it is missing; throws Error when it cannot.
    void create() const;
    // Why `folder` could not be made, from mkdir's `error`, as a sentence.
    static QString creationFailure(const QString &folder, int error);

    QString dailyCopy(QDate day) const;
    // Names by date and time; one taken already moves to the next second.
    QString manualCopy(const QDateTime &at) const;
    QString beforeRestoreCopy(const QDateTime &at) const;
    bool hasDailyCopy(QDate day) const;

    // Every copy of this catalogue in the folder, newest first.
    std::vector<Entry> entries() const;
    // The copies the rule lets go on `today`: every copy of the last 14 days
    // stays, and the first copy of each of the last 12 months.
    static std::vector<Entry> expired(const std::vector<Entry> &entries, QDate today);
    // Removes the expired copies; returns how many went.
    int prune(QDate today) const;

    static constexpr int KeptDays = 14;
    static constexpr int KeptMonths = 12;

private:
    QString copyName(const QDateTime &at, const QString &suffix) const;

    QString folder_;
    QString base_; // "db" for "db.mdb"
};
