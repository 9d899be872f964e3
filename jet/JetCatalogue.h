#pragma once

#include "ConversionSummary.h"
#include "JetConversion.h"

#include <QDate>
#include <QString>

class JetFile;
class ServerConnection;

// A shop's Jet catalogue turned into a catalogue of the program's own: a
// new file, the file itself in place (the original kept beside it), or the
// tables on a server. The Jet file is only ever read. On failure nothing
// half made is left and Error says why in the user's words.
class JetCatalogue
{
public:
    // Writes the catalogue `target` (which must not exist) from the Jet
    // file `source`: under a temporary name beside it in one transaction,
    // checked, then renamed.
    static ConversionSummary convertFile(const QString &source, const QString &target,
                                         const JetConversion::Progress &progress = {});

    // Replaces the Jet file `catalogue` by its conversion. The original is
    // kept unchanged under the name keptName() gives, beside it; returns
    // that name through `kept`.
    static ConversionSummary replace(const QString &catalogue, QString *kept,
                                     const JetConversion::Progress &progress = {},
                                     const QDate &today = QDate::currentDate());

    // Makes the catalogue's tables on an empty server database and fills
    // them, all or nothing.
    static ConversionSummary toServer(const QString &source, ServerConnection &server,
                                      const JetConversion::Progress &progress = {});

    // "db-jet-2026-12-10.mdb" beside "db.mdb"; "-2", "-3"... when taken.
    static QString keptName(const QString &catalogue, const QDate &today);

private:
    // The conversion of `file` written to `temporary` and checked; on
    // failure nothing of it is left.
    static ConversionSummary writeChecked(JetFile &file, const QString &temporary,
                                          const JetConversion::Progress &progress);
};
