#pragma once

#include "Error.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

// Operations on a catalogue file as a whole, beside any connection to it:
// making a new one, copying one page by page while other programs write
// (the engine's online backup), and checking one. Failures throw StoreError
// whose kind says why, the same kinds a connection's failures carry.
class FileStore
{
public:
    // Runs between steps of a copy, on the copying thread; it may wait
    // there. False stops the copy.
    using Between = std::function<bool()>;

    // Makes the new file `file` and runs `statements` in it in one
    // transaction; the caller removes the file if this throws.
    static void create(const QString &file, const QList<QByteArray> &statements);

    // Copies the database `from` into `to`, which is made when `make`.
    // `stepPages` pages at a time (-1: all in one step, so that `to`
    // changes in one transaction of the engine). False when `between`
    // stopped it.
    static bool copy(const QString &from, const QString &to, bool make, int stepPages,
                     const Between &between = {});

    // The engine's check of every page of `file`: "ok", or what it found.
    static QString quickCheck(const QString &file);
    // True when `file` opens and reads as a database (not missing, not damaged).
    static bool isSound(const QString &file);
};
