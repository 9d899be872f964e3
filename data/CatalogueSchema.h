#pragma once

#include "recordset/TableSchema.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>
#include <optional>
#include <vector>

// The catalogue's four tables, described once: every column's name, type,
// width, rules and the label a user knows it by. Both stores' tables and
// their checks, the cursors, the price list, the generators and the
// conversion of an old catalogue all take them from here.
class CatalogueSchema
{
public:
    static TableSchema goods();      // tovars
    static TableSchema categories(); // category
    static TableSchema makes();      // autotype
    static TableSchema countries();  // country
    // All four, each table's references before it: the order to make and
    // fill them in.
    static std::vector<TableSchema> tables();

    // The goods' columns, in the table's order.
    enum Goods {
        GoodsKey,  // auto_id
        Code,      // codeTov, the article
        Warehouse, // numSklad
        Category,  // cat_id
        Name,      // tovName
        Model,     // models
        Count,     // counts
        Price,     // price
        Make,      // auto_type
        Country,   // country_id
        Photo,     // screenshots
        GoodsColumnCount
    };
    // The columns of each reference table: its key, then its unique name.
    enum Reference { ReferenceKey, ReferenceName };
    // The reference table that a goods column points into, or none.
    static std::optional<TableSchema> referencedBy(int goodsColumn);

    // What a catalogue file made by us carries in its header, so that a
    // later change of the format can tell its files apart. Files without
    // them (made by other tools) are read the same way.
    static constexpr qint32 ApplicationId = 0x41505254; // "APRT"
    // 1: prices as integer counts of ten-thousandths (files were not marked);
    // 2: prices as the amounts themselves.
    static constexpr qint32 FormatVersion = 2;

    // The statements that put both marks into a file's header.
    static QList<QByteArray> markStatements();

    // Makes a new, empty catalogue file. The program itself never does this;
    // the catalogue tool and the tests do. Throws Error when the file exists,
    // StoreError when the engine cannot make it.
    static void create(const QString &fileName);
};
