#pragma once

#include "recordset/TableSchema.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

// The four tables of the catalogue file as the program reads and writes them.
class CatalogueSchema
{
public:
    static TableSchema goods();     // tovars
    static TableSchema categories(); // category
    static TableSchema makes();      // autotype
    static TableSchema countries();  // country

    // What a catalogue file made by us carries in its header, so that a
    // later change of the format can tell its files apart. Files without
    // them (made by other tools) are read the same way.
    static constexpr qint32 ApplicationId = 0x41505254; // "APRT"
    // 1: prices as integer counts of ten-thousandths (files were not marked);
    // 2: prices as the amounts themselves.
    static constexpr qint32 FormatVersion = 2;

    // Adding a reference row by its name (?1), for the tools that fill a
    // catalogue in bulk.
    static constexpr const char *InsertCategorySql = "INSERT INTO category (catName) VALUES (?1)";
    static constexpr const char *InsertMakeSql = "INSERT INTO autotype (name) VALUES (?1)";
    static constexpr const char *InsertCountrySql = "INSERT INTO country (country) VALUES (?1)";

    // The statements that put both marks into a file's header.
    static QList<QByteArray> markStatements();

    // Makes a new, empty catalogue file. The program itself never does this;
    // the catalogue tool and the tests do. Throws Error when the file exists,
    // StoreError when the engine cannot make it.
    static void create(const QString &fileName);
};
