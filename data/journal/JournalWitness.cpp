#include "JournalWitness.h"

#include "JournalSql.h"

#include <QCryptographicHash>
#include <QSysInfo>
#include <pwd.h>
#include <unistd.h>

JournalWitness::Place JournalWitness::thisPlace()
{
    Place place;
    place.computer = QSysInfo::machineHostName();
    if (const passwd *user = getpwuid(getuid()))
        place.login = QString::fromLocal8Bit(user->pw_name);
    if (place.login.isEmpty())
        place.login = qEnvironmentVariable("USER");
    return place;
}

JournalWitness::JournalWitness(Place place, Clock clock)
    : place_(std::move(place)), clock_(std::move(clock))
{
    if (!clock_)
        clock_ = [] { return QDateTime::currentDateTimeUtc(); };
}

void JournalWitness::begun(Store &store, const QString &road)
{
    operation_ =
        store
            .run(JournalSql::openSession(store.dialect()),
                 {clock_().toMSecsSinceEpoch(), road.isEmpty() ? QStringLiteral("program") : road,
                  place_.computer, place_.login})
            .at(0)
            .at(0)
            .toLongLong();
}

void JournalWitness::committing(Store &store)
{
    const QByteArray close = JournalSql::closeSession(store.dialect());
    if (!close.isEmpty())
        store.run(close);
}

void JournalWitness::blobWritten(Store &store, const TableSchema &schema, qint64 key,
                                 const QByteArray &before, const QByteArray &after)
{
    const auto value = [](const QByteArray &bytes) {
        return bytes.isEmpty() ? QVariant() : QVariant(digest(bytes));
    };
    store.run(JournalSql::setDigests(store.dialect()),
              {value(before), value(after), schema.table(), key});
}

QString JournalWitness::digest(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    return QString::fromLatin1(
        QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().left(16));
}
