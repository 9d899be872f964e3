#pragma once

#include "recordset/Store.h"

#include <QDateTime>
#include <QString>
#include <functional>

// Names the program's own writes for the journal: at the start of each
// write transaction it opens the journal's session with the transaction's
// operation number, time, road, computer and login, which the store's
// triggers copy into every record; it closes the session before the
// commit. It adds the digests of the photos a write replaced.
class JournalWitness : public WriteWitness
{
public:
    using Clock = std::function<QDateTime()>;
    struct Place
    {
        QString computer, login;
    };
    // This computer's name and the user's login.
    static Place thisPlace();

    explicit JournalWitness(Place place = thisPlace(), Clock clock = {});

    void begun(Store &store, const QString &road) override;
    void committing(Store &store) override;
    void blobWritten(Store &store, const TableSchema &schema, qint64 key, const QByteArray &before,
                     const QByteArray &after) override;

    // The operation of the transaction begun last.
    qint64 lastOperation() const { return operation_; }
    // How a photo is told apart from another: empty for none.
    static QString digest(const QByteArray &bytes);

private:
    Place place_;
    Clock clock_;
    qint64 operation_ = 0;
};
