#include "GoodsExport.h"

#include "CatalogueSchema.h"
#include "SheetWriter.h"
#include "recordset/Cursor.h"
#include "recordset/Error.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int SampledRows = 500;
constexpr int MinWidth = 6;
constexpr int MaxWidth = 60;

SheetColumn::Kind kindOf(const Field &field)
{
    if (field.isLookup())
        return SheetColumn::Kind::Text;
    switch (field.DataType()) {
    case FieldType::AutoInc:
    case FieldType::Integer:
        return SheetColumn::Kind::Number;
    case FieldType::Currency:
        return SheetColumn::Kind::Money;
    case FieldType::Text:
    case FieldType::Blob:
        break;
    }
    return SheetColumn::Kind::Text;
}

SheetCell cellAt(const Cursor &cursor, int row, const Field &field, SheetColumn::Kind kind)
{
    SheetCell cell;
    if (kind == SheetColumn::Kind::Text) {
        cell.text = cursor.displayTextAt(row, field.index());
        cell.kind = cell.text.isEmpty() ? SheetCell::Kind::Empty : SheetCell::Kind::Text;
        return cell;
    }
    if (cursor.isNullAt(row, field.index()))
        return cell;
    cell.kind = kind == SheetColumn::Kind::Money ? SheetCell::Kind::Money : SheetCell::Kind::Number;
    cell.value = cursor.numberAt(row, field.index());
    return cell;
}

} // namespace

std::vector<GoodsExport::Column> GoodsExport::withUnshown(std::vector<Column> shown)
{
    const TableSchema goods = CatalogueSchema::goods();
    for (int c = 0; c < goods.fieldCount(); ++c) {
        const FieldDef &def = goods.field(c);
        const bool isShown = std::any_of(shown.begin(), shown.end(), [&](const Column &column) {
            return column.field.compare(def.name, Qt::CaseInsensitive) == 0;
        });
        if (!isShown && def.type != FieldType::Blob && !CatalogueSchema::referencedBy(c))
            shown.push_back({def.name, def.label});
    }
    return shown;
}

bool GoodsExport::write(const Cursor &cursor, const std::vector<Column> &columns,
                        const QString &fileName, const Progress &progress)
{
    const auto format = SheetWriter::formatOf(fileName);
    if (!format)
        throw Error(QStringLiteral("Таблицу можно сохранить в файл .xlsx или .csv, а не «%1»")
                        .arg(QFileInfo(fileName).fileName()));
    std::vector<const Field *> fields;
    std::vector<SheetColumn> sheet;
    const int rows = cursor.isOpen() ? cursor.RecordCount() : 0;
    for (const Column &column : columns) {
        const Field *field = cursor.findField(column.field);
        if (!field || (!field->isLookup() && field->DataType() == FieldType::Blob))
            continue;
        // Wide enough for the title and for the texts of the first rows.
        int width = int(column.title.size());
        for (int row = 0; row < std::min(rows, SampledRows); ++row)
            width = std::max(width, int(cursor.displayTextAt(row, field->index()).size()));
        fields.push_back(field);
        sheet.push_back({column.title, kindOf(*field), std::clamp(width + 2, MinWidth, MaxWidth)});
    }

    // Written under another name and renamed when complete.
    const QString part = fileName + QStringLiteral(".part");
    try {
        auto writer = SheetWriter::create(*format, part);
        writer->begin(sheet);
        std::vector<SheetCell> cells(fields.size());
        for (int row = 0; row < rows; ++row) {
            for (size_t i = 0; i < fields.size(); ++i)
                cells[i] = cellAt(cursor, row, *fields[i], sheet[i].kind);
            writer->writeRow(cells);
            if (progress && (row + 1) % ProgressRows == 0 && !progress(row + 1, rows)) {
                writer.reset();
                QFile::remove(part);
                return false;
            }
        }
        writer->finish();
    } catch (...) {
        QFile::remove(part);
        throw;
    }
    if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(fileName).constData()) !=
        0) {
        QFile::remove(part);
        throw Error(QStringLiteral("Не удаётся записать файл «%1»")
                        .arg(QDir::toNativeSeparators(fileName)));
    }
    if (progress)
        progress(rows, rows);
    return true;
}
