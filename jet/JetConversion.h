#pragma once

#include "ConversionSummary.h"

#include <functional>

class ConversionTarget;
class JetFile;

// Brings a shop's Jet catalogue over into the program's own store: every
// row of the four tables with its key, texts, prices and photos exact,
// key counters moved past the keys in use. Everything is checked before a
// row is written (a table or column missing, a type that cannot be taken
// without loss), and a value that cannot be taken stops it with nothing
// written. Failures throw Error naming the table, column and row.
class JetConversion
{
public:
    // Rows done of all there are; false stops the conversion.
    using Progress = std::function<bool(qint64 done, qint64 total)>;

    static ConversionSummary run(JetFile &file, ConversionTarget &target,
                                 const Progress &progress = {});
};

// Thrown when the user stopped a conversion; nothing was written.
class ConversionCancelled : public std::exception
{
public:
    const char *what() const noexcept override { return "conversion cancelled"; }
};
