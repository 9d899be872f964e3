#pragma once

#include "jet/ConversionSummary.h"
#include "jet/JetConversion.h"

#include <QString>
#include <functional>

class QWidget;

// Runs a catalogue conversion on a thread of its own, so that the windows
// keep answering, with a progress dialog that shows for a large file and
// can stop it («Отмена»: nothing is written). Returns its summary, or
// throws its failure (ConversionCancelled when the user stopped it).
class ConversionProgress
{
public:
    using Work = std::function<ConversionSummary(const JetConversion::Progress &)>;
    static ConversionSummary run(QWidget *owner, const QString &label, const Work &work);

    // How long a conversion runs before the dialog shows.
    static constexpr int ShowAfterMs = 700;
};
