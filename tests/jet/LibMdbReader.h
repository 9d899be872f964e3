#pragma once

// glib before mdbtools.h, which includes it inside extern "C"; both before
// Qt, whose keyword macros take names glib's headers use.
#include <glib.h>
#include <mdbtools.h>

#include <QByteArray>
#include <QList>
#include <QString>

// libmdb itself, for what its tools do not print: NULL apart from empty
// text, the bytes a row stores, the rows behind overflow pointers.
class LibMdbReader
{
public:
    struct Field
    {
        bool null = true;
        QByteArray stored; // as the row keeps it; a long value's 12-byte header
    };
    using Row = QList<Field>;
    struct Moved
    {
        Row row;
        int pointerPage = 0;
        int targetPage = 0;
        int targetFlags = 0; // of the target's offset slot
    };

    explicit LibMdbReader(const QString &path);
    ~LibMdbReader();
    LibMdbReader(const LibMdbReader &) = delete;
    LibMdbReader &operator=(const LibMdbReader &) = delete;

    MdbHandle *handle() const { return m_mdb; }
    // The table with its columns read; null when there is none.
    MdbTableDef *table(const QString &name);
    // The rows a table scan meets, as libmdb cracks them.
    QList<Row> rows(const QString &name);
    // A column's long values as libmdb reads them; null where the cell is.
    QList<QByteArray> longValues(const QString &name, int column);
    // Rows whose slot (flag 0x4000 alone) points to their bytes elsewhere,
    // followed there as the converter follows them.
    QList<Moved> overflowRows(const QString &name);

private:
    Row crack(int row);

    MdbHandle *m_mdb = nullptr;
    MdbTableDef *m_table = nullptr;
};
