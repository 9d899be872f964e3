#include "JetTestCatalogue.h"

#include <QRandomGenerator>
#include <QStringList>
#include <stdexcept>

std::vector<JetColumnPlan> JetTestCatalogue::goodsColumns()
{
    return {{QStringLiteral("auto_id"), JetType::Long, 0, true},
            {QStringLiteral("codeTov"), JetType::Text, 20},
            {QStringLiteral("numSklad"), JetType::Long},
            {QStringLiteral("cat_id"), JetType::Long},
            {QStringLiteral("tovName"), JetType::Text, 100},
            {QStringLiteral("models"), JetType::Text, 50},
            {QStringLiteral("counts"), JetType::Long},
            {QStringLiteral("price"), JetType::Currency},
            {QStringLiteral("auto_type"), JetType::Long},
            {QStringLiteral("country_id"), JetType::Long},
            {QStringLiteral("screenshots"), JetType::Ole}};
}

std::vector<JetColumnPlan> JetTestCatalogue::referenceColumns(const QString &key,
                                                              const QString &name)
{
    return {{key, JetType::Long, 0, true}, {name, JetType::Text, 50}};
}

JetFilePlan JetTestCatalogue::empty(JetFilePlan::Version version)
{
    JetFilePlan plan;
    plan.version = version;
    const auto add = [&](const QString &name, std::vector<JetColumnPlan> columns) {
        JetTablePlan table;
        table.name = name;
        table.columns = std::move(columns);
        plan.tables.push_back(std::move(table));
    };
    add(QStringLiteral("category"),
        referenceColumns(QStringLiteral("cat_id"), QStringLiteral("catName")));
    add(QStringLiteral("autotype"),
        referenceColumns(QStringLiteral("auto_type"), QStringLiteral("name")));
    add(QStringLiteral("country"),
        referenceColumns(QStringLiteral("country_id"), QStringLiteral("country")));
    add(QStringLiteral("tovars"), goodsColumns());
    return plan;
}

JetTablePlan &JetTestCatalogue::table(JetFilePlan &plan, const QString &name)
{
    for (JetTablePlan &table : plan.tables)
        if (table.name == name)
            return table;
    throw std::runtime_error("no such table in the plan");
}

int JetTestCatalogue::column(const JetTablePlan &table, const QString &name)
{
    for (size_t i = 0; i < table.columns.size(); ++i)
        if (table.columns[i].name == name)
            return int(i);
    throw std::runtime_error("no such column in the plan");
}

std::vector<JetCell> JetTestCatalogue::reference(qint64 key, const QString &name)
{
    return {JetCell::number(key), name.isNull() ? JetCell::null() : JetCell::string(name)};
}

JetFilePlan JetTestCatalogue::generated(int goods, int photoEvery, int photoBytes, quint32 seed)
{
    QRandomGenerator random(seed);
    JetFilePlan plan = empty();
    const QStringList parts = {
        QStringLiteral("Фильтр масляный"),    QStringLiteral("Колодки тормозные"),
        QStringLiteral("Свеча зажигания"),    QStringLiteral("Ремень ГРМ"),
        QStringLiteral("Амортизатор задний"), QStringLiteral("Oil filter")};
    for (int i = 1; i <= 200; ++i)
        table(plan, QStringLiteral("category"))
            .rows.push_back(reference(i, QStringLiteral("Категория %1").arg(i)));
    for (int i = 1; i <= 100; ++i)
        table(plan, QStringLiteral("autotype"))
            .rows.push_back(reference(i, QStringLiteral("Марка %1").arg(i)));
    for (int i = 1; i <= 30; ++i)
        table(plan, QStringLiteral("country"))
            .rows.push_back(reference(i, QStringLiteral("Страна %1").arg(i)));
    JetTablePlan &tovars = table(plan, QStringLiteral("tovars"));
    tovars.rows.reserve(size_t(goods));
    for (int i = 1; i <= goods; ++i) {
        QByteArray photo;
        if (photoEvery > 0 && i % photoEvery == 0) {
            photo.resize(photoBytes);
            for (char &byte : photo)
                byte = char(random.bounded(256));
            photo[0] = 'B';
            photo[1] = 'M';
        }
        tovars.rows.push_back(std::vector<JetCell>{
            JetCell::number(i),
            JetCell::string(QStringLiteral("A%1").arg(random.bounded(1000000))),
            JetCell::number(random.bounded(1, 50)),
            JetCell::number(random.bounded(1, 201)),
            JetCell::string(parts[int(random.bounded(qsizetype(parts.size())))] +
                            QStringLiteral(" %1").arg(i)),
            JetCell::string(QStringLiteral("Модель %1").arg(random.bounded(500))),
            JetCell::number(random.bounded(0, 1000)),
            JetCell::currency(qint64(random.bounded(100, 10000000)) * 100),
            JetCell::number(random.bounded(1, 101)),
            JetCell::number(random.bounded(1, 31)),
            photo.isEmpty() ? JetCell::null() : JetCell::blob(photo),
        });
    }
    return plan;
}
