#include "JetCatalog.h"

namespace {

JetColumnPlan column(const char *name, JetType type, int size = 0)
{
    JetColumnPlan c;
    c.name = QString::fromLatin1(name);
    c.type = type;
    c.size = size;
    return c;
}

// Ids of the folders; a table's Id is the page of its definition instead.
constexpr qint64 RootId = 0x0f000000;
constexpr qint64 TablesId = 0x0f000001;
constexpr qint64 DatabasesId = 0x0f000002;
constexpr qint64 RelationshipsId = 0x0f000003;
constexpr qint64 DatabaseObjectId = 0x0f000004;

// Object types.
constexpr int TableType = 1;
constexpr int DatabaseType = 2;
constexpr int FolderType = 3;

} // namespace

std::vector<JetTablePlan> JetCatalog::systemTables()
{
    using T = JetType;
    // Their columns in the order Access keeps them, by name.
    JetTablePlan objects;
    objects.name = QStringLiteral("MSysObjects");
    objects.columns = {column("Connect", T::Memo),
                       column("Database", T::Memo),
                       column("DateCreate", T::DateTime),
                       column("DateUpdate", T::DateTime),
                       column("Flags", T::Long),
                       column("ForeignName", T::Text, 255),
                       column("Id", T::Long),
                       column("Lv", T::Ole),
                       column("LvExtra", T::Ole),
                       column("LvModule", T::Ole),
                       column("LvProp", T::Ole),
                       column("Name", T::Text, 255),
                       column("Owner", T::Binary, 255),
                       column("ParentId", T::Long),
                       column("RmtInfoLong", T::Ole),
                       column("RmtInfoShort", T::Binary, 255),
                       column("Type", T::Integer)};
    JetTablePlan aces;
    aces.name = QStringLiteral("MSysACEs");
    aces.columns = {column("ACM", T::Long), column("FInheritable", T::Boolean),
                    column("ObjectId", T::Long), column("SID", T::Binary, 255)};
    JetTablePlan queries;
    queries.name = QStringLiteral("MSysQueries");
    queries.columns = {column("Attribute", T::Byte),  column("Expression", T::Text, 255),
                       column("Flag", T::Integer),    column("LvExtra", T::Ole),
                       column("Name1", T::Text, 255), column("Name2", T::Text, 255),
                       column("ObjectId", T::Long),   column("Order", T::Binary, 255)};
    JetTablePlan relationships;
    relationships.name = QStringLiteral("MSysRelationships");
    relationships.columns = {column("ccolumn", T::Long),
                             column("grbit", T::Long),
                             column("icolumn", T::Long),
                             column("szColumn", T::Text, 64),
                             column("szObject", T::Text, 64),
                             column("szReferencedColumn", T::Text, 64),
                             column("szReferencedObject", T::Text, 64),
                             column("szRelationship", T::Text, 64)};
    return {objects, aces, queries, relationships};
}

std::vector<std::vector<JetCell>> JetCatalog::rows(const std::vector<Object> &tables,
                                                   double created)
{
    // Column positions in systemTables()' MSysObjects.
    enum { DateCreate = 2, DateUpdate, Flags, Id = 6, Name = 11, ParentId = 13, Type = 16 };
    auto row = [created](qint64 id, qint64 parent, const QString &name, int type, quint32 flags) {
        std::vector<JetCell> cells(17);
        cells[DateCreate] = JetCell::realNumber(created);
        cells[DateUpdate] = JetCell::realNumber(created);
        cells[Flags] = JetCell::number(qint32(flags));
        cells[Id] = JetCell::number(id);
        cells[Name] = JetCell::string(name);
        cells[ParentId] = JetCell::number(parent);
        cells[Type] = JetCell::number(type);
        return cells;
    };
    std::vector<std::vector<JetCell>> rows;
    rows.push_back(row(TablesId, RootId, QStringLiteral("Tables"), FolderType, 0));
    rows.push_back(row(DatabasesId, RootId, QStringLiteral("Databases"), FolderType, 0));
    rows.push_back(row(RelationshipsId, RootId, QStringLiteral("Relationships"), FolderType, 0));
    rows.push_back(row(DatabaseObjectId, DatabasesId, QStringLiteral("MSysDb"), DatabaseType, 0));
    for (const Object &t : tables)
        rows.push_back(
            row(t.definitionPage, TablesId, t.name, TableType, t.system ? SystemFlag : 0));
    return rows;
}
