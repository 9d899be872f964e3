#include "CatalogueSchema.h"

#include "recordset/Error.h"
#include "recordset/FileStore.h"
#include "recordset/TableSql.h"

#include <QFile>
#include <QFileInfo>

namespace {

// Pragmas take no bound parameters; the numbers are our own constants.
constexpr const char *kApplicationIdSql = "PRAGMA application_id = %1";
constexpr const char *kUserVersionSql = "PRAGMA user_version = %1";

constexpr int ReferenceNameWidth = 50;

FieldDef column(const char *name, FieldType type, int size, const char *label, bool unique = false)
{
    return FieldDef{QString::fromLatin1(name), type, size, unique, QString::fromUtf8(label)};
}

// A reference table: its key and its name, which no two rows share, so
// that the store itself refuses a duplicate.
TableSchema reference(const char *table, const char *key, const char *name, const char *label)
{
    return TableSchema(QString::fromLatin1(table),
                       {column(key, FieldType::AutoInc, 0, "Код"),
                        column(name, FieldType::Text, ReferenceNameWidth, label, true)});
}

} // namespace

TableSchema CatalogueSchema::goods()
{
    // A price is the amount itself, as every program reads it: whole amounts
    // as integers, others as reals of at most 15 significant digits.
    return TableSchema(QStringLiteral("tovars"),
                       {column("auto_id", FieldType::AutoInc, 0, "Код товара"),
                        column("codeTov", FieldType::Text, 20, "Артикул"),
                        column("numSklad", FieldType::Integer, 0, "№ склада"),
                        column("cat_id", FieldType::Integer, 0, "Категория"),
                        column("tovName", FieldType::Text, 100, "Наименование"),
                        column("models", FieldType::Text, 50, "Модель"),
                        column("counts", FieldType::Integer, 0, "Количество"),
                        column("price", FieldType::Currency, 0, "Цена"),
                        column("auto_type", FieldType::Integer, 0, "Марка"),
                        column("country_id", FieldType::Integer, 0, "Производитель"),
                        column("screenshots", FieldType::Blob, 0, "Фото")});
}

TableSchema CatalogueSchema::categories()
{
    return reference("category", "cat_id", "catName", "Название категории");
}

TableSchema CatalogueSchema::makes()
{
    return reference("autotype", "auto_type", "name", "Марка");
}

TableSchema CatalogueSchema::countries()
{
    return reference("country", "country_id", "country", "Страна");
}

std::vector<TableSchema> CatalogueSchema::tables()
{
    return {categories(), makes(), countries(), goods()};
}

std::optional<TableSchema> CatalogueSchema::referencedBy(int goodsColumn)
{
    switch (goodsColumn) {
    case Category:
        return categories();
    case Make:
        return makes();
    case Country:
        return countries();
    default:
        break;
    }
    return std::nullopt;
}

QList<QByteArray> CatalogueSchema::markStatements()
{
    return {QString::fromLatin1(kApplicationIdSql).arg(ApplicationId).toLatin1(),
            QString::fromLatin1(kUserVersionSql).arg(FormatVersion).toLatin1()};
}

void CatalogueSchema::create(const QString &fileName)
{
    if (QFileInfo::exists(fileName))
        throw Error(QStringLiteral("Файл «%1» уже существует").arg(fileName));
    // A new file is empty, which the program's own connection rightly
    // refuses; so the tables are made beside it.
    QList<QByteArray> statements;
    for (const TableSchema &table : tables())
        statements << TableSql(table).create();
    statements << markStatements();
    try {
        FileStore::create(fileName, statements);
    } catch (const StoreError &error) {
        QFile::remove(fileName);
        QFile::remove(fileName + QStringLiteral("-journal"));
        throw StoreError(
            error.kind(),
            QStringLiteral("Не удаётся создать файл «%1»: %2").arg(fileName, error.engineText()),
            error.engineCode(), error.engineText());
    }
}
