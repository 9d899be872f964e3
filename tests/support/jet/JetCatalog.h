#pragma once

#include "JetTestWriter.h"

// The system tables of a new database: MSysObjects, whose definition is
// always on page 2 and whose rows list every object of the file, and the
// empty tables Access creates beside it.
class JetCatalog
{
public:
    // Object flags: system objects carry the high bit, which readers use to
    // hide them.
    static constexpr quint32 SystemFlag = 0x80000000;

    // MSysObjects first, with no rows yet.
    static std::vector<JetTablePlan> systemTables();

    struct Object
    {
        QString name;
        int definitionPage = 0;
        bool system = false;
    };
    // The rows of MSysObjects: the folders of the database, then one row per
    // table, whose Id is the page of its definition.
    static std::vector<std::vector<JetCell>> rows(const std::vector<Object> &tables,
                                                  double created);
};
