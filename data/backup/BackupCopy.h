#pragma once

#include <QString>
#include <functional>

// Copies of the catalogue made with the engine's online backup, so that a
// copy is consistent even while other programs write. Failures throw Error
// with the reason in the user's words; nothing half written is left.
class BackupCopy
{
public:
    // Runs between steps of a copy, on the copying thread; it may wait
    // there. False stops the copy.
    using Between = std::function<bool()>;

    // Copies the database `source` into the new file `target`: written under
    // a temporary name, checked, then renamed.
    static void make(const QString &source, const QString &target, const Between &between = {});
    // Makes the catalogue file `catalogue` hold what `copy` holds, in one
    // transaction of the engine, so that every program that has it open
    // sees the result: row by row where it can (the journal records it),
    // else page by page.
    static void restore(const QString &copy, const QString &catalogue);
    // True when `file` opens and reads as a database (not missing, not damaged).
    static bool isSound(const QString &file);

    // Pages copied per step: about a megabyte, so that another program's
    // post never waits long for a step to end.
    static constexpr int StepPages = 256;
};
