#include "LibMdbReader.h"

#include <QFile>
#include <vector>

LibMdbReader::LibMdbReader(const QString &path)
    : m_mdb(mdb_open(QFile::encodeName(path).constData(), MDB_NOFLAGS))
{}

LibMdbReader::~LibMdbReader()
{
    if (m_table)
        mdb_free_tabledef(m_table);
    if (m_mdb)
        mdb_close(m_mdb);
}

MdbTableDef *LibMdbReader::table(const QString &name)
{
    if (m_table)
        mdb_free_tabledef(m_table);
    m_table = nullptr;
    if (!m_mdb)
        return nullptr;
    QByteArray n = name.toUtf8();
    m_table = mdb_read_table_by_name(m_mdb, n.data(), MDB_TABLE);
    if (m_table)
        mdb_read_columns(m_table);
    return m_table;
}

QList<LibMdbReader::Row> LibMdbReader::rows(const QString &name)
{
    QList<Row> rows;
    if (!table(name))
        return rows;
    mdb_rewind_table(m_table);
    while (mdb_fetch_row(m_table))
        rows << crack(int(m_table->cur_row) - 1);
    return rows;
}

QList<QByteArray> LibMdbReader::longValues(const QString &name, int column)
{
    QList<QByteArray> values;
    if (!table(name))
        return values;
    // Holds the 12 bytes in the row, then one long-value row at a time.
    QByteArray bound(MDB_BIND_SIZE, '\0');
    mdb_bind_column(m_table, column + 1, bound.data(), nullptr);
    auto *col = static_cast<MdbColumn *>(g_ptr_array_index(m_table->columns, column));
    mdb_rewind_table(m_table);
    while (mdb_fetch_row(m_table)) {
        if (col->cur_value_len == 0) {
            values << QByteArray();
            continue;
        }
        size_t size = 0;
        char *data = static_cast<char *>(mdb_ole_read_full(m_mdb, col, &size));
        values << QByteArray(data, qsizetype(size));
        free(data);
    }
    return values;
}

QList<LibMdbReader::Moved> LibMdbReader::overflowRows(const QString &name)
{
    QList<Moved> moved;
    if (!table(name))
        return moved;
    const int counts = m_mdb->fmt->row_count_offset;
    auto slotOf = [&](int row) { return mdb_get_int16(m_mdb->pg_buf, counts + 2 + 2 * row); };
    for (gint32 pg = 0; (pg = mdb_map_find_next(m_mdb, m_table->usage_map,
                                                unsigned(m_table->map_sz), guint32(pg))) > 0;) {
        mdb_read_pg(m_mdb, pg);
        const int rows = mdb_get_int16(m_mdb->pg_buf, counts);
        for (int r = 0; r < rows; ++r) {
            const int slot = slotOf(r);
            if ((slot & 0xc000) != 0x4000)
                continue;
            // The row number in the low byte, the page in the three above it.
            const quint32 target = quint32(mdb_get_int32(m_mdb->pg_buf, slot & 0x1fff));
            const int targetRow = int(target & 0xff);
            mdb_read_pg(m_mdb, target >> 8);
            moved << Moved{crack(targetRow), pg, int(target >> 8), slotOf(targetRow) & 0xc000};
            mdb_read_pg(m_mdb, pg);
        }
    }
    return moved;
}

LibMdbReader::Row LibMdbReader::crack(int row)
{
    int start = 0;
    size_t length = 0;
    Row out;
    if (mdb_find_row(m_mdb, row, &start, &length) != 0)
        return out;
    std::vector<MdbField> fields(m_table->num_cols);
    if (mdb_crack_row(m_table, start & 0x1fff, length, fields.data()) < 0)
        return out;
    for (const MdbField &f : fields) {
        Field field;
        field.null = f.is_null;
        if (!f.is_null && f.value)
            field.stored = QByteArray(static_cast<const char *>(f.value), f.siz);
        out << field;
    }
    return out;
}
