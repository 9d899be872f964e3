#include "JetTable.h"

#include "JetFilePrivate.h"

#include <cstring>

namespace {

// Flags of a row's slot on a data page: a deleted row (also the stored
// copy of a moved row, which only its pointer reaches), and a row moved to
// another page, whose slot holds a pointer to it.
constexpr int DeletedRow = 0x8000;
constexpr int MovedRow = 0x4000;
constexpr int OffsetMask = 0x1fff;
// A moved row may be moved again; a chain longer than this is damage.
constexpr int MaxMoves = 16;
// A long value's header inside the row: 30 bits of length and two of
// where the bytes are.
constexpr int LongValueHeader = 12;
constexpr quint32 LongValueKind = 0xc0000000;
constexpr quint32 LongValueHere = 0x80000000;
constexpr quint32 LongValueOnePage = 0x40000000;

quint32 le32(const void *at)
{
    const auto *b = static_cast<const unsigned char *>(at);
    return quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
}

} // namespace

QString JetColumn::typeName(int type)
{
    switch (type) {
    case Boolean:
        return QStringLiteral("Логический");
    case Byte:
        return QStringLiteral("Числовой (байт)");
    case Integer:
        return QStringLiteral("Числовой (целое)");
    case Long:
        return QStringLiteral("Числовой (длинное целое)");
    case Currency:
        return QStringLiteral("Денежный");
    case Single:
        return QStringLiteral("Числовой (одинарное с плавающей точкой)");
    case Double:
        return QStringLiteral("Числовой (двойное с плавающей точкой)");
    case DateTime:
        return QStringLiteral("Дата/время");
    case Binary:
        return QStringLiteral("Двоичный");
    case Text:
        return QStringLiteral("Текстовый");
    case Ole:
        return QStringLiteral("Поле объекта OLE");
    case Memo:
        return QStringLiteral("Поле MEMO");
    case ReplicationId:
        return QStringLiteral("Код репликации");
    case Numeric:
        return QStringLiteral("Числовой (действительное)");
    default:
        return QStringLiteral("неизвестный тип %1").arg(type);
    }
}

struct JetTable::Private
{
    JetFile &file;
    JetFile::Private &data;
    MdbTableDef *table = nullptr;
    QString name;
    std::vector<JetColumn> columns;
    qint64 nextAutoNumber = 0;
    qint64 declared = 0;
    qint64 read = 0;
    guint32 page = 0; // the data page being walked; 0 before the first
    int slot = 0;
    int slotCount = 0;
    bool done = false;
    QByteArray row; // the current row's bytes, copied off its page
    std::vector<MdbField> fields;

    Private(JetFile &f, JetFile::Private &d) : file(f), data(d) {}
    ~Private() { mdb_free_tabledef(table); }

    MdbHandle *mdb() const { return data.mdb; }
    [[noreturn]] void damaged(const QString &what) const
    {
        file.damaged(QStringLiteral("таблица «%1»: %2").arg(name, what));
    }
    bool nextPage();
    void takeRow(int start, size_t size);
    const MdbField &field(int column, int atLeast) const;
    QByteArray longValue(int column) const;
    QByteArray pageRow(quint32 pointer) const;
};

JetTable::JetTable(JetFile &file, JetFile::Private &data, void *entry)
    : d_(std::make_unique<Private>(file, data))
{
    auto *catalogEntry = static_cast<MdbCatalogEntry *>(entry);
    d_->name = QString::fromUtf8(catalogEntry->object_name);
    d_->table = mdb_read_table(catalogEntry);
    // An empty page map is damage the library does not check for.
    if (!d_->table || d_->table->map_sz < 1 || !d_->table->usage_map)
        d_->damaged(QStringLiteral("не читается описание"));
    // The definition page is still in the buffer; the counter follows the
    // row count there.
    const MdbFormatConstants *format = d_->mdb()->fmt;
    d_->nextAutoNumber = le32(d_->mdb()->pg_buf + format->tab_num_rows_offset + 4);
    d_->declared = d_->table->num_rows;
    if (!mdb_read_columns(d_->table))
        d_->damaged(QStringLiteral("не читается описание полей"));
    const bool jet3 = file.isJet3();
    for (guint i = 0; i < d_->table->num_cols; ++i) {
        const auto *column = static_cast<MdbColumn *>(g_ptr_array_index(d_->table->columns, i));
        JetColumn c;
        c.name = QString::fromUtf8(column->name);
        c.type = column->col_type;
        c.size = column->col_type == MDB_TEXT && !jet3 ? column->col_size / 2 : column->col_size;
        c.autoNumber = column->is_long_auto;
        d_->columns.push_back(c);
    }
    d_->fields.resize(d_->table->num_cols);
}

JetTable::~JetTable() = default;

const QString &JetTable::name() const
{
    return d_->name;
}

const std::vector<JetColumn> &JetTable::columns() const
{
    return d_->columns;
}

int JetTable::columnIndex(const QString &name) const
{
    for (size_t i = 0; i < d_->columns.size(); ++i)
        if (d_->columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

qint64 JetTable::nextAutoNumber() const
{
    return d_->nextAutoNumber;
}

qint64 JetTable::declaredRows() const
{
    return d_->declared;
}

bool JetTable::Private::nextPage()
{
    MdbHandle *handle = mdb();
    for (;;) {
        const gint32 next = mdb_map_find_next(handle, table->usage_map, guint(table->map_sz), page);
        if (next == 0)
            return false;
        if (next < 0)
            damaged(QStringLiteral("неизвестный вид карты страниц"));
        if (guint32(next) <= page || next >= data.pageCount)
            damaged(QStringLiteral("карта страниц указывает за конец файла"));
        page = guint32(next);
        if (mdb_read_pg(handle, page) != handle->fmt->pg_size)
            damaged(QStringLiteral("страница %1 не читается").arg(page));
        // A map may name a page that has since gone to another table; the
        // library skips such pages too.
        if (handle->pg_buf[0] == MDB_PAGE_DATA &&
            le32(handle->pg_buf + 4) == table->entry->table_pg) {
            slot = 0;
            slotCount = mdb_get_int16(handle->pg_buf, handle->fmt->row_count_offset);
            return true;
        }
    }
}

void JetTable::Private::takeRow(int start, size_t size)
{
    MdbHandle *handle = mdb();
    if (mdb_crack_row(table, start, size, fields.data()) < 0)
        damaged(QStringLiteral("запись на странице %1 не читается").arg(handle->cur_pg));
    row = QByteArray(reinterpret_cast<const char *>(handle->pg_buf) + start, qsizetype(size));
    for (MdbField &f : fields) {
        if (f.is_null)
            continue;
        if (f.siz < 0 || f.start < start || f.start + f.siz > start + int(size))
            damaged(QStringLiteral("запись на странице %1 не читается").arg(handle->cur_pg));
        f.start -= start;
    }
}

bool JetTable::next()
{
    Private &d = *d_;
    MdbHandle *handle = d.mdb();
    const int slotsAt = handle->fmt->row_count_offset + 2;
    while (!d.done) {
        if (d.page == 0 || d.slot >= d.slotCount) {
            if (!d.nextPage()) {
                d.done = true;
                break;
            }
            continue;
        }
        // Reading a moved row or a long value may have put another page in
        // the buffer.
        if (mdb_read_pg(handle, d.page) != handle->fmt->pg_size)
            d.damaged(QStringLiteral("страница %1 не читается").arg(d.page));
        const int slot = d.slot++;
        int flags = mdb_get_int16(handle->pg_buf, slotsAt + 2 * slot);
        if (flags & DeletedRow)
            continue;
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(handle, slot, &start, &size) != 0 || size == 0)
            d.damaged(QStringLiteral("запись на странице %1 не читается").arg(d.page));
        start &= OffsetMask;
        for (int moves = 0; flags & MovedRow; ++moves) {
            if (size < 4 || moves == MaxMoves)
                d.damaged(QStringLiteral("перенесённая запись не найдена"));
            const quint32 pointer = le32(handle->pg_buf + start);
            const guint32 page = pointer >> 8;
            const int row = int(pointer & 0xff);
            if (page == 0 || page >= d.data.pageCount ||
                mdb_read_pg(handle, page) != handle->fmt->pg_size ||
                handle->pg_buf[0] != MDB_PAGE_DATA ||
                le32(handle->pg_buf + 4) != d.table->entry->table_pg ||
                row >= mdb_get_int16(handle->pg_buf, handle->fmt->row_count_offset) ||
                mdb_find_row(handle, row, &start, &size) != 0 || size == 0)
                d.damaged(QStringLiteral("перенесённая запись не найдена"));
            // The moved row's own slot is marked deleted, so that a walk
            // through the pages does not meet it twice.
            flags = mdb_get_int16(handle->pg_buf, slotsAt + 2 * row) & ~DeletedRow;
            start &= OffsetMask;
        }
        d.takeRow(start, size);
        ++d.read;
        return true;
    }
    if (d.read < d.declared)
        d.damaged(QStringLiteral("прочитано записей %1 из %2").arg(d.read).arg(d.declared));
    return false;
}

const MdbField &JetTable::Private::field(int column, int atLeast) const
{
    const MdbField &f = fields[size_t(column)];
    if (!f.is_null && f.siz < atLeast)
        damaged(QStringLiteral("значение поля «%1» не читается").arg(columns[size_t(column)].name));
    return f;
}

bool JetTable::isNull(int column) const
{
    // A yes/no value lives in the null mask itself and is never NULL.
    if (d_->columns[size_t(column)].type == JetColumn::Boolean)
        return false;
    return d_->fields[size_t(column)].is_null;
}

qint64 JetTable::integer(int column) const
{
    const int type = d_->columns[size_t(column)].type;
    if (type == JetColumn::Boolean)
        return d_->fields[size_t(column)].is_null ? 0 : 1;
    const int width = type == JetColumn::Byte ? 1 : type == JetColumn::Integer ? 2 : 4;
    const MdbField &f = d_->field(column, width);
    if (f.is_null)
        return 0;
    const auto *at = reinterpret_cast<const unsigned char *>(d_->row.constData() + f.start);
    if (width == 1)
        return at[0];
    if (width == 2)
        return qint16(quint16(at[0] | at[1] << 8));
    return qint32(le32(at));
}

qint64 JetTable::currency(int column) const
{
    const MdbField &f = d_->field(column, 8);
    if (f.is_null)
        return 0;
    qint64 value = 0;
    const auto *at = reinterpret_cast<const unsigned char *>(d_->row.constData() + f.start);
    for (int i = 7; i >= 0; --i)
        value = qint64(quint64(value) << 8 | at[i]);
    return value;
}

double JetTable::real(int column) const
{
    const bool single = d_->columns[size_t(column)].type == JetColumn::Single;
    const MdbField &f = d_->field(column, single ? 4 : 8);
    if (f.is_null)
        return 0;
    const char *at = d_->row.constData() + f.start;
    if (single) {
        float value = 0;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    double value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

QString JetTable::text(int column) const
{
    const MdbField &f = d_->field(column, 0);
    if (f.is_null)
        return QString();
    if (d_->columns[size_t(column)].type == JetColumn::Memo) {
        const QByteArray bytes = d_->longValue(column);
        return d_->data.text(bytes.constData(), int(bytes.size()));
    }
    return d_->data.text(d_->row.constData() + f.start, f.siz);
}

QByteArray JetTable::bytes(int column) const
{
    const MdbField &f = d_->field(column, 0);
    if (f.is_null)
        return QByteArray();
    if (d_->columns[size_t(column)].type == JetColumn::Ole)
        return d_->longValue(column);
    return d_->row.mid(f.start, f.siz);
}

QByteArray JetTable::Private::pageRow(quint32 pointer) const
{
    MdbHandle *handle = mdb();
    void *buffer = nullptr;
    int start = 0;
    size_t size = 0;
    const guint32 page = pointer >> 8;
    if (page == 0 || page >= data.pageCount ||
        mdb_find_pg_row(handle, int(pointer), &buffer, &start, &size) != 0)
        return QByteArray();
    const auto *bytes = static_cast<const unsigned char *>(buffer);
    // Long values live on pages of their own, marked LVAL.
    if (bytes[0] != MDB_PAGE_DATA || std::memcmp(bytes + 4, "LVAL", 4) != 0 ||
        start + size > size_t(handle->fmt->pg_size))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(bytes) + start, qsizetype(size));
}

QByteArray JetTable::Private::longValue(int column) const
{
    const MdbField &f = field(column, 0);
    if (f.siz == 0)
        return QByteArray();
    const QString &columnName = columns[size_t(column)].name;
    const auto lost = [&] {
        damaged(QStringLiteral("значение поля «%1» хранится не полностью").arg(columnName));
    };
    if (f.siz < LongValueHeader)
        lost();
    const char *header = row.constData() + f.start;
    const quint32 head = le32(header);
    const qsizetype length = qsizetype(head & ~LongValueKind);
    const quint32 kind = head & LongValueKind;
    if (kind == LongValueHere) {
        if (f.siz - LongValueHeader < length)
            lost();
        return QByteArray(header + LongValueHeader, length);
    }
    // A damaged length must not send us asking for more than the file holds.
    if (length > data.pageCount * mdb()->fmt->pg_size)
        lost();
    quint32 pointer = le32(header + 4);
    if (kind == LongValueOnePage) {
        const QByteArray bytes = pageRow(pointer);
        if (bytes.size() < length)
            lost();
        return bytes.left(length);
    }
    if (kind != 0)
        lost();
    // A chain of pages, each row starting with the pointer to the next.
    QByteArray value;
    value.reserve(length);
    for (qint64 hops = 0; value.size() < length; ++hops) {
        const QByteArray piece = pageRow(pointer);
        if (piece.size() <= 4 || hops > data.pageCount)
            lost();
        value.append(piece.constData() + 4, piece.size() - 4);
        pointer = le32(piece.constData());
        if (pointer == 0 && value.size() < length)
            lost();
    }
    value.truncate(length);
    return value;
}
