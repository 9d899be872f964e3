#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <functional>
#include <optional>

class QWidget;

// The menu entry's first start: the user's catalogue folder is made, the
// user chooses an empty catalogue or the demo one, and autoparts-newdb makes
// it there. Later starts find it and ask nothing. With the catalogue on a
// server (AUTOPARTS_DATABASE) nothing is made.
class FirstStart
{
public:
    enum class Choice { Empty, Demo, Cancel };
    using Ask = std::function<Choice(const QString &folder)>;

    // The folder to start the program in, or none when the user gave up or
    // the catalogue could not be made (then `failure` says why, in Russian).
    static std::optional<QString> prepare(const QProcessEnvironment &environment,
                                          const QString &newdb, const Ask &ask,
                                          QString *failure);

    // The small dialog that asks; Cancel when it is closed.
    static Choice askWithDialog(const QString &folder, QWidget *owner = nullptr);

    static constexpr const char *CatalogueFile = "db.mdb";
};
