#pragma once

#include "recordset/TableSchema.h"

// The four tables of the catalogue file as the program reads and writes them.
class CatalogueSchema
{
public:
    static TableSchema goods();     // tovars
    static TableSchema categories(); // category
    static TableSchema makes();      // autotype
    static TableSchema countries();  // country

    // Makes a new, empty catalogue file. The program itself never does this;
    // the catalogue tool and the tests do. Throws Error when the file exists.
    static void create(const QString &fileName);
};
