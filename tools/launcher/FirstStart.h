#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// The menu entry's first start: the user chooses an empty catalogue, the
// demo one (autoparts-newdb makes either) or the catalogue the shop already
// has, which is brought over, and the user's catalogue folder is made for
// it; giving up, or a catalogue that cannot be made, leaves no folder behind.
// Later starts find it and ask nothing. With the catalogue on a server
// (AUTOPARTS_DATABASE) only the folder to start in is made.
class FirstStart
{
public:
    enum class Choice { Empty, Demo, Bring, Cancel };
    using Ask = std::function<Choice(const QString &folder)>;
    // The catalogue file to bring over; empty when the user gave up.
    using Pick = std::function<QString()>;

    // The folder to start the program in, or none when the user gave up or
    // the catalogue could not be made (then `failure` says why, in Russian).
    // A catalogue brought over leaves what to tell the user in `report`.
    static std::optional<QString> prepare(const QProcessEnvironment &environment,
                                          const QString &newdb, const Ask &ask, QString *failure,
                                          const Pick &pick = {}, QString *report = nullptr);

    // The small dialog that asks; Cancel when it is closed.
    static Choice askWithDialog(const QString &folder, QWidget *owner = nullptr);
    // The file dialog for the catalogue to bring over.
    static QString pickWithDialog(QWidget *owner = nullptr);

    // Makes `target` from the catalogue file `source`: a Jet catalogue is
    // converted (with a progress dialog), one of the program's own copied.
    // Returns what was brought over; throws Error why not.
    static QString bring(const QString &source, const QString &target);

    static constexpr const char *CatalogueFile = "db.mdb";
};
