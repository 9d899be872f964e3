#pragma once

#include "JetTestWriter.h"

#include <QByteArray>
#include <QString>
#include <vector>

// Jet files laid out as a shop's older catalogue: the four tables with the
// columns and types the program reads, filled by the tests (and by the
// benchmark) as each case needs.
class JetTestCatalogue
{
public:
    // One goods row as a test writes it; NULLs where a cell is left null.
    static std::vector<JetColumnPlan> goodsColumns();
    static std::vector<JetColumnPlan> referenceColumns(const QString &key, const QString &name);

    // The four tables, empty, in the order the shop's file has them.
    static JetFilePlan empty(JetFilePlan::Version version = JetFilePlan::Version::Jet4);
    static JetTablePlan &table(JetFilePlan &plan, const QString &name);
    static int column(const JetTablePlan &table, const QString &name);

    // A reference row: key and name (NULL when `name` is null).
    static std::vector<JetCell> reference(qint64 key, const QString &name);

    // `goods` random goods over fixed reference lists, every `photoEvery`-th
    // with a photo of about `photoBytes` bytes; the same seed gives the same
    // file.
    static JetFilePlan generated(int goods, int photoEvery, int photoBytes, quint32 seed);
};
