#include "CatalogueGenerator.h"

#include "BmpWriter.h"
#include "CatalogueSchema.h"
#include "DemoPictures.h"
#include "recordset/Connection.h"
#include "recordset/RowValues.h"
#include "recordset/Statement.h"
#include "recordset/TableSql.h"
#include "recordset/Transaction.h"

#include <QFile>
#include <QGuiApplication>
#include <QList>
#include <iterator>
#include <optional>
#include <random>
#include <stdexcept>

namespace {

// Prices are held in ten-thousandths of a rouble, as the program holds them.
constexpr qint64 kTenThousandthsPerKopeck = 100;

// Keys that goods rows use but no reference row has must stay unmatched: the
// counters are moved past them, so a reference added later gets a new key.
constexpr const char *kAdvanceCounterSql =
    "UPDATE sqlite_sequence SET seq = max(seq, (SELECT coalesce(max(%1), 0) FROM %2)) "
    "WHERE name = ?1";

void advanceCounters(Connection &connection)
{
    const TableSchema goods = CatalogueSchema::goods();
    for (int c = 0; c < goods.fieldCount(); ++c) {
        const auto references = CatalogueSchema::referencedBy(c);
        if (!references)
            continue;
        Statement advance(
            connection,
            QString::fromLatin1(kAdvanceCounterSql)
                .arg(
                    QString::fromUtf8(TableSql::name(goods.field(c).name, TableSql::Dialect::File)),
                    QString::fromUtf8(TableSql::name(goods.table(), TableSql::Dialect::File)))
                .toUtf8());
        advance.bindText(1, references->table());
        advance.step();
    }
}

// The keys the store gave the names, in the order of `names`.
template <typename Names>
QList<qint64> insertNames(Connection &connection, const TableSchema &table, const Names &names)
{
    QList<qint64> keys;
    for (const auto &name : names)
        keys.append(connection.insert(
            table, RowValues(table)
                       .setText(CatalogueSchema::ReferenceName, QString::fromUtf8(name))
                       .withoutKey()));
    return keys;
}

void requireGuiApplication()
{
    // Captions are drawn with fonts, which need the GUI side of Qt.
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        throw std::logic_error("CatalogueGenerator draws pictures and needs a QGuiApplication");
}

// Makes the file, fills it in one transaction, and removes it again when
// filling fails, so that a failure leaves no half-filled catalogue behind. An
// existing file is refused by the schema before anything is touched.
template <typename Fill> void createFilled(const QString &path, Fill fill)
{
    requireGuiApplication();
    CatalogueSchema::create(path);
    try {
        Connection connection(path);
        connection.open();
        Transaction transaction(connection);
        fill(connection);
        advanceCounters(connection);
        transaction.commit();
    } catch (...) {
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        throw;
    }
}

// ---- The demo catalogue -------------------------------------------------

// clang-format off
constexpr const char *kDemoCategories[] = {
    "Фильтры", "Тормозная система", "Двигатель", "Электрооборудование",
    "Подвеска", "Рулевое управление", "Трансмиссия", "Система зажигания",
    "Кузовные детали", "Оптика", "Шины и диски", "Масла и жидкости",
    // Longer than the 20 characters the goods grid shows of a category.
    "Система охлаждения и отопления салона",
};
enum DemoCategory {
    Filters, Brakes, Engine, Electrics, Suspension, Steering, Transmission, Ignition,
    Body, Optics, Wheels, Fluids, Cooling
};

constexpr const char *kDemoMakes[] = {
    "ВАЗ", "ГАЗ", "УАЗ", "Москвич", "КамАЗ", "Toyota",
    "BMW", "Kia", "Hyundai", "Volkswagen", "Renault", "Ford",
};
enum DemoMake { Vaz, Gaz, Uaz, Moskvich, Kamaz, Toyota, Bmw, Kia, Hyundai, Vw, Renault, Ford };
// A make that was deleted while goods still use it: the row shows no make.
constexpr int kDeletedMake = -1;

constexpr const char *kDemoCountries[] = {
    "Россия", "Германия", "Япония", "Китай", "Южная Корея", "США",
    "Франция", "Италия", "Польша", "Беларусь", "Турция", "Чехия",
};
enum DemoCountry {
    Russia, Germany, Japan, China, Korea, Usa, France, Italy, Poland, Belarus, Turkey, Czechia
};

// Indices into CatalogueGenerator::demoPhotos().
enum DemoPhoto { NoPhoto = -1, DiscPhoto, PlugPhoto, FilterPhoto, BatteryPhoto, HeadlightPhoto,
                 PistonPhoto, WheelPhoto };

struct DemoGoods
{
    const char *codeTov;
    int numSklad;
    int category;
    const char *name;
    const char *models;
    std::optional<int> counts;
    std::optional<qint64> kopecks;
    int make;
    int country;
    int photo;
};

constexpr DemoGoods kDemoGoods[] = {
    {"2105-1012005", 1, Filters, "Фильтр масляный", "2101-2107", 45, 28950, Vaz, Russia, FilterPhoto},
    {"2108-1109080", 1, Filters, "Фильтр воздушный", "2108-21099", 30, 31000, Vaz, Russia, NoPhoto},
    {"04152-YZZA1", 2, Filters, "Фильтр масляный", "Camry, Corolla, RAV4", 18, 89000, Toyota, Japan, NoPhoto},
    {"11427953129", 2, Filters, "Фильтр масляный", "X5 E53", 6, 124550, Bmw, Germany, NoPhoto},
    {"97133-1S000", 2, Filters, "Фильтр салонный угольный", "Rio, Solaris", 22, 64900, Kia, Korea, NoPhoto},
    {"3110-1117010", 3, Filters, "Фильтр топливный тонкой очистки", "Волга 3110, Газель", 14, 35075, Gaz, Russia, NoPhoto},
    {"2108-3501080", 1, Brakes, "Колодки тормозные передние", "2108-2115", 40, 67000, Vaz, Russia, NoPhoto},
    {"04465-33471", 2, Brakes, "Колодки тормозные передние", "Camry", 8, 384000, Toyota, Japan, NoPhoto},
    {"34116864906", 2, Brakes, "Диск тормозной вентилируемый передний", "3 Series F30", 4, 845090, Bmw, Germany, DiscPhoto},
    {"3160-3501070", 3, Brakes, "Диск тормозной передний", "Patriot, Hunter", 10, 215000, Uaz, Russia, NoPhoto},
    {"2101-3502090", 1, Brakes, "Колодки тормозные задние барабанные", "2101-2107", 25, 52000, Vaz, Belarus, NoPhoto},
    {"2105-3505010", 1, Brakes, "Главный тормозной цилиндр", "2105, 2107", 7, 149900, Vaz, Russia, NoPhoto},
    {"ЗИЛ130-3501105", 3, Brakes, "Колодка тормозная задняя с накладкой", "ЗИЛ-130", 6, 145000, kDeletedMake, Russia, NoPhoto},
    {"2103-1000100", 4, Engine, "Двигатель в сборе 1,5 л", "2103, 2106", 1, 8500000, Vaz, Russia, NoPhoto},
    {"21011-1004015", 4, Engine, "Поршень с пальцем 79,0 мм", "2101, 21011", 12, 78050, Vaz, Russia, PistonPhoto},
    {"2108-1006040", 1, Engine, "Ремень ГРМ", "2108-21099", 20, 58000, Vaz, Germany, NoPhoto},
    {"13568-09070", 2, Engine, "Ремень ГРМ", "Corolla", 5, 312000, Toyota, Japan, NoPhoto},
    {"406.1003020", 3, Engine, "Прокладка головки блока цилиндров", "Газель (ЗМЗ-406)", 9, 43000, Gaz, Russia, NoPhoto},
    {"21126-1006015", 4, Engine,
     "Комплект ремня ГРМ с натяжным и обводным роликами, помпой и прокладками для двигателей 1,6 л 16 кл.",
     "Priora, Granta, Kalina", 3, 798000, Vaz, Germany, NoPhoto},
    {"6СТ-60", 5, Electrics, "Аккумулятор 6СТ-60, 60 А·ч", "2101-2115, Нива", 6, 650000, Vaz, Russia, BatteryPhoto},
    {"37300-2B100", 5, Electrics, "Генератор 90 А", "Solaris, Rio", 2, 1450000, Hyundai, Korea, NoPhoto},
    {"5712.3708", 5, Electrics, "Стартер редукторный", "2101-2107, Нива", 3, 720000, Vaz, Belarus, NoPhoto},
    {"0258006537", 5, Electrics, "Датчик кислорода", "Polo, Golf", 7, 389000, Vw, Germany, NoPhoto},
    {"2110-3704010", 5, Electrics, "Выключатель зажигания", "2110-2112", 11, 51500, Vaz, Russia, NoPhoto},
    {"21214-2905402", 6, Suspension, "Амортизатор передний газовый", "Нива 4x4", 8, 210000, Vaz, Russia, NoPhoto},
    {"54651-2S000", 6, Suspension, "Стойка амортизатора передняя левая", "Sportage", 3, 689900, Kia, Korea, NoPhoto},
    {"2101-2904192", 6, Suspension, "Шаровая опора нижняя", "2101-2107", 30, 32000, Vaz, Russia, NoPhoto},
    {"6R0407151F", 6, Suspension, "Рычаг подвески передний", "Polo Sedan", 4, 425000, Vw, Poland, NoPhoto},
    {"2110-3414056", 7, Steering, "Наконечник рулевой тяги", "2110-2112", 24, 41500, Vaz, Russia, NoPhoto},
    {"3163-3400010", 7, Steering, "Рулевой механизм", "Patriot", 1, 1840000, Uaz, Russia, NoPhoto},
    {"1S7C-3A130", 7, Steering, "Наконечник рулевой тяги наружный", "Focus, Mondeo", 9, 119000, Ford, Turkey, NoPhoto},
    {"2108-1601130", 8, Transmission, "Диск сцепления", "2108-21099", 12, 98000, Vaz, Germany, NoPhoto},
    {"3302-1601090", 8, Transmission, "Корзина сцепления", "Газель", 4, 265000, Gaz, Russia, NoPhoto},
    {"7701477028", 8, Transmission, "ШРУС наружный", "Logan, Sandero", 6, 379000, Renault, France, NoPhoto},
    {"BPR6ES", 9, Ignition, "Свеча зажигания", "2101-2107, Москвич 2140", 100, 19500, Vaz, Japan, PlugPhoto},
    {"FR7DC+", 9, Ignition, "Свеча зажигания", "Polo, Octavia", 60, 32050, Vw, Czechia, NoPhoto},
    {"2112-3705010", 9, Ignition, "Катушка зажигания", "2110-2112, Priora", 10, 135000, Vaz, Russia, NoPhoto},
    {"2108-8402010", 10, Body, "Капот", "2108-21099", 2, 520000, Vaz, Russia, NoPhoto},
    {"2141-8403011", 10, Body, "Крыло переднее левое", "Москвич 2141", 1, 245000, Moskvich, Russia, NoPhoto},
    // Not priced and not counted yet: the grid shows empty cells.
    {"8450006921", 10, Body, "Коврики салона резиновые", "Vesta", std::nullopt, std::nullopt, Vaz, Russia, NoPhoto},
    {"81130-33A20", 11, Optics, "Фара передняя правая", "Camry", 2, 1290000, Toyota, China, HeadlightPhoto},
    {"2105-3711010", 11, Optics, "Фара передняя", "2105, 2107", 6, 138000, Vaz, Belarus, NoPhoto},
    {"R16-205/55", 12, Wheels, "Колесо в сборе R16 205/55", "Solaris, Rio", 4, 1150000, Hyundai, China, WheelPhoto},
    {"175/70R13-BL", 12, Wheels, "Шина летняя 175/70 R13", "2101-2107", 16, 350000, Vaz, Russia, NoPhoto},
    {"5W40-SYN-4", 13, Fluids, "Масло моторное 5W-40 синтетическое, 4 л", "для всех", 25, 289900, Ford, Usa, NoPhoto},
    {"А-40М-5", 13, Fluids, "Тосол А-40М, 5 кг", "для всех", 40, 49900, Kamaz, Russia, NoPhoto},
    {"DOT4-0.5", 13, Fluids, "Жидкость тормозная DOT-4, 0,5 л", "для всех", 50, 21000, Gaz, Russia, NoPhoto},
    {"2107-1301012", 14, Cooling, "Радиатор охлаждения алюминиевый", "2107", 3, 410000, Vaz, Italy, NoPhoto},
    {"21082-1306010", 14, Cooling, "Термостат", "2108-2115", 15, 64000, Vaz, Russia, NoPhoto},
    {"5320-1307010", 14, Cooling, "Насос водяной (помпа)", "КамАЗ 5320", 2, 395000, Kamaz, Russia, NoPhoto},
    {"2108-8101150", 14, Cooling, "Кран отопителя", "2108-21099", 8, 35500, Vaz, Russia, NoPhoto},
};
// clang-format on

qint64 keyOf(const QList<qint64> &keys, int index)
{
    if (index >= 0)
        return keys[index];
    qint64 highest = 0;
    for (qint64 key : keys)
        highest = qMax(highest, key);
    return highest + 1;
}

void fillDemo(Connection &connection)
{
    const QList<qint64> categories =
        insertNames(connection, CatalogueSchema::categories(), kDemoCategories);
    const QList<qint64> makes = insertNames(connection, CatalogueSchema::makes(), kDemoMakes);
    const QList<qint64> countries =
        insertNames(connection, CatalogueSchema::countries(), kDemoCountries);

    const QList<CatalogueGenerator::Photo> photoKinds = CatalogueGenerator::demoPhotos();
    QList<QByteArray> photos;
    for (const CatalogueGenerator::Photo &kind : photoKinds)
        photos.append(CatalogueGenerator::photoBytes(kind));

    using G = CatalogueSchema::Goods;
    const TableSchema table = CatalogueSchema::goods();
    for (const DemoGoods &goods : kDemoGoods) {
        RowValues row(table);
        row.setText(G::Code, QString::fromUtf8(goods.codeTov))
            .setNumber(G::Warehouse, goods.numSklad)
            .setNumber(G::Category, keyOf(categories, goods.category))
            .setText(G::Name, QString::fromUtf8(goods.name))
            .setText(G::Model, QString::fromUtf8(goods.models))
            .setNumber(G::Count, goods.counts ? std::optional<qint64>(*goods.counts) : std::nullopt)
            .setNumber(G::Price, goods.kopecks ? std::optional<qint64>(*goods.kopecks *
                                                                       kTenThousandthsPerKopeck)
                                               : std::nullopt)
            .setNumber(G::Make, keyOf(makes, goods.make))
            .setNumber(G::Country, keyOf(countries, goods.country));
        if (goods.photo != NoPhoto)
            row.setBytes(G::Photo, photos[goods.photo]);
        connection.insert(table, row.withoutKey());
    }
}

// ---- The benchmark catalogue --------------------------------------------

// clang-format off
constexpr const char *kCategoryRoots[] = {
    "Фильтры", "Тормозная система", "Двигатель", "Электрооборудование", "Подвеска",
    "Рулевое управление", "Трансмиссия", "Система зажигания", "Кузов", "Оптика",
    "Шины", "Диски колёсные", "Масла", "Технические жидкости", "Система охлаждения",
    "Отопление салона", "Выхлопная система", "Топливная система", "Сцепление",
    "Стеклоочистители", "Датчики", "Ремни и ролики", "Прокладки и сальники", "Крепёж",
    "Аксессуары",
};
constexpr const char *kVehicleClasses[] = {
    "легковые", "внедорожники", "грузовые", "автобусы",
    "микроавтобусы", "коммерческие", "спецтехника", "мототехника",
};
static_assert(int(std::size(kCategoryRoots) * std::size(kVehicleClasses))
              == CatalogueGenerator::BenchmarkCategories);

constexpr const char *kBenchmarkMakes[] = {
    "ВАЗ", "ГАЗ", "УАЗ", "ЗИЛ", "КамАЗ", "МАЗ", "ПАЗ", "ЛиАЗ", "Москвич", "ИЖ",
    "ЗАЗ", "ЛуАЗ", "КрАЗ", "Урал", "ТагАЗ", "БелАЗ", "Acura", "Alfa Romeo", "Aston Martin", "Audi",
    "Bentley", "BMW", "Buick", "BYD", "Cadillac", "Changan", "Chery", "Chevrolet", "Chrysler",
    "Citroen", "Dacia", "Daewoo", "Daihatsu", "Datsun", "Dodge", "Dongfeng", "FAW", "Ferrari",
    "Fiat", "Ford", "Geely", "Genesis", "GMC", "Great Wall", "Haval", "Honda", "Hummer", "Hyundai",
    "Infiniti", "Isuzu", "Iveco", "JAC", "Jaguar", "Jeep", "Kia", "Lamborghini", "Lancia",
    "Land Rover", "Lexus", "Lifan", "Lincoln", "Lotus", "Maserati", "Mazda", "Mercedes-Benz",
    "Mini", "Mitsubishi", "Nissan", "Opel", "Peugeot", "Porsche", "Ravon", "Renault", "Rover",
    "Saab", "Scania", "SEAT", "Skoda", "Smart", "SsangYong", "Subaru", "Suzuki", "Tata", "Tesla",
    "Toyota", "Volkswagen", "Volvo", "Zotye", "Exeed", "Omoda", "Tank", "Jetour", "Foton",
    "Hino", "MAN", "DAF", "Renault Trucks", "Shacman", "Sollers", "Evolute",
};
static_assert(int(std::size(kBenchmarkMakes)) == CatalogueGenerator::BenchmarkMakes);

constexpr const char *kBenchmarkCountries[] = {
    "Россия", "Германия", "Япония", "Китай", "Южная Корея", "США", "Франция", "Италия",
    "Польша", "Беларусь", "Турция", "Чехия", "Испания", "Швеция", "Великобритания", "Индия",
    "Тайвань", "Таиланд", "Малайзия", "Бразилия", "Мексика", "Аргентина", "Словакия",
    "Венгрия", "Румыния", "Словения", "Австрия", "Бельгия", "Нидерланды", "Узбекистан",
};
static_assert(int(std::size(kBenchmarkCountries)) == CatalogueGenerator::BenchmarkCountries);

// How a part name begins: what a shop user types into the name filter.
constexpr const char *kPartNames[] = {
    "Фильтр масляный", "Фильтр воздушный", "Фильтр топливный", "Фильтр салонный",
    "Колодки тормозные", "Диск тормозной", "Барабан тормозной", "Цилиндр тормозной рабочий",
    "Шланг тормозной", "Суппорт тормозной", "Амортизатор", "Пружина подвески",
    "Стойка стабилизатора", "Шаровая опора", "Сайлентблок рычага", "Рычаг подвески",
    "Ступица колеса", "Подшипник ступицы", "Наконечник рулевой тяги", "Тяга рулевая",
    "Рейка рулевая", "Насос ГУР", "Ремень ГРМ", "Ремень генератора", "Ролик натяжной",
    "Помпа", "Термостат", "Радиатор охлаждения", "Патрубок радиатора", "Вентилятор радиатора",
    "Свеча зажигания", "Катушка зажигания", "Провода высоковольтные", "Датчик кислорода",
    "Датчик температуры", "Датчик положения коленвала", "Генератор", "Стартер", "Аккумулятор",
    "Реле поворотов", "Лампа галогенная", "Фара", "Фонарь задний", "Зеркало наружное",
    "Щётка стеклоочистителя", "Сцепление в сборе", "Диск сцепления", "Подшипник выжимной",
    "ШРУС наружный", "Пыльник ШРУС", "Прокладка ГБЦ", "Поршень", "Кольца поршневые",
    "Вкладыши коренные", "Клапан впускной", "Распредвал", "Глушитель", "Катализатор",
    "Масло моторное", "Антифриз", "Бензонасос", "Форсунка топливная", "Дроссельная заслонка",
    "Сальник коленвала", "Опора двигателя", "Бампер передний", "Капот", "Крыло переднее",
};
constexpr const char *kQualifiers[] = {
    "перед.", "задн.", "лев.", "прав.", "в сборе", "компл.", "усил.", "ориг.",
    "к-т 4 шт.", "с датчиком", "под ABS", "дизель", "бензин", "Евро-4", "Евро-5", "спорт",
    "ремкомплект", "н/о", "1,6 л", "2,0 л",
};
constexpr const char *kSuppliers[] = {
    "Bosch", "Mann", "Sachs", "TRW", "Febi", "Lemförder", "NGK", "Denso", "Gates", "SKF",
    "Valeo", "Hella", "Brembo", "Mahle", "Kayaba", "Monroe", "Лада Имидж", "ТЗА", "Пекар",
    "Самара-Авто", "ДААЗ", "БелМаг",
};
constexpr const char *kModels[] = {
    "2101", "2105", "2107", "2108", "2109", "21099", "2110", "2112", "2114", "2115", "Priora",
    "Kalina", "Granta", "Vesta", "Largus", "Niva", "Нива 4x4", "Patriot", "Hunter", "Буханка",
    "Газель", "Газель Next", "Соболь", "Волга 3110", "Москвич 2141", "КамАЗ 5320", "Camry",
    "Corolla", "RAV4", "Land Cruiser", "X5", "3 Series", "5 Series", "Rio", "Ceed", "Sportage",
    "Sorento", "Solaris", "Creta", "Tucson", "Santa Fe", "Polo", "Golf", "Passat", "Tiguan",
    "Logan", "Sandero", "Duster", "Kaptur", "Focus", "Mondeo", "Octavia", "Rapid", "Astra",
    "Lancer", "Outlander", "Almera", "Qashqai", "X-Trail", "Civic", "Accord", "Matiz", "Nexia",
};
// clang-format on

// mt19937 is fully specified, and the helpers below use no standard
// distribution, so the same seed gives the same catalogue with every library.
using Random = std::mt19937;

// 0 .. n-1
int below(Random &random, int n)
{
    return int((quint64(random()) * quint64(n)) >> 32);
}

int between(Random &random, int low, int high)
{
    return low + below(random, high - low + 1);
}

bool chance(Random &random, int percent)
{
    return below(random, 100) < percent;
}

template <size_t N> QString pick(Random &random, const char *const (&list)[N])
{
    return QString::fromUtf8(list[below(random, int(N))]);
}

QString benchmarkName(Random &random)
{
    QString name = pick(random, kPartNames);
    if (chance(random, 60)) {
        const QString first = pick(random, kQualifiers);
        name += QLatin1Char(' ') + first;
        if (chance(random, 40)) {
            QString second = first;
            while (second == first)
                second = pick(random, kQualifiers);
            name += QLatin1Char(' ') + second;
        }
    }
    if (chance(random, 60))
        name += QStringLiteral(", ") + pick(random, kSuppliers);
    return name;
}

QString benchmarkModels(Random &random)
{
    QString models = pick(random, kModels);
    if (chance(random, 20))
        models += QStringLiteral(", ") + pick(random, kModels);
    if (chance(random, 15))
        models += QStringLiteral(" с %1 г.").arg(between(random, 1995, 2024));
    return models;
}

// Prices spread over four orders of magnitude, as in a real shop, with kopecks.
qint64 benchmarkPrice(Random &random)
{
    static constexpr int kLowestRoubles[] = {10, 100, 1000, 10000};
    const int low = kLowestRoubles[below(random, 4)];
    const qint64 kopecks = between(random, low * 100, low * 1000 - 1);
    return kopecks * kTenThousandthsPerKopeck;
}

QString benchmarkCode(Random &random)
{
    const int group = between(random, 1000, 9999);
    const int number = between(random, 0, 9999999);
    return QStringLiteral("%1-%2").arg(group).arg(number, 7, 10, QLatin1Char('0'));
}

void fillBenchmark(Connection &connection, int goodsCount, quint32 seed)
{
    QList<QByteArray> categoryNames;
    for (const char *root : kCategoryRoots)
        for (const char *vehicles : kVehicleClasses)
            categoryNames.append(QByteArray(root) + " (" + vehicles + ')');
    const QList<qint64> categories =
        insertNames(connection, CatalogueSchema::categories(), categoryNames);
    const QList<qint64> makes = insertNames(connection, CatalogueSchema::makes(), kBenchmarkMakes);
    const QList<qint64> countries =
        insertNames(connection, CatalogueSchema::countries(), kBenchmarkCountries);

    const QByteArray photo = CatalogueGenerator::photoBytes(
        {DemoPictures::Subject::BrakeDisc, QSize(300, 220), BmpWriter::Kind::Rgb24});

    Random random(seed);
    using G = CatalogueSchema::Goods;
    const TableSchema table = CatalogueSchema::goods();
    RowValues row(table);
    for (int i = 0; i < goodsCount; ++i) {
        // Drawn in this order, so that a seed gives the same catalogue as before.
        row.setText(G::Code, benchmarkCode(random));
        row.setNumber(G::Warehouse, between(random, 1, 20));
        row.setNumber(G::Category, categories[below(random, int(categories.size()))]);
        row.setText(G::Name, benchmarkName(random));
        row.setText(G::Model, benchmarkModels(random));
        row.setNumber(G::Count, between(random, 0, 500));
        row.setNumber(G::Price, benchmarkPrice(random));
        row.setNumber(G::Make, makes[below(random, int(makes.size()))]);
        row.setNumber(G::Country, countries[below(random, int(countries.size()))]);
        const bool withPhoto = i % CatalogueGenerator::BenchmarkPhotoInterval ==
                               CatalogueGenerator::BenchmarkPhotoInterval - 1;
        row.setBytes(G::Photo, withPhoto ? photo : QByteArray());
        connection.insert(table, row.withoutKey());
    }
}

} // namespace

QList<CatalogueGenerator::Photo> CatalogueGenerator::demoPhotos()
{
    using Subject = DemoPictures::Subject;
    using Kind = BmpWriter::Kind;
    // In the order of the DemoPhoto indices above.
    return {
        {Subject::BrakeDisc, QSize(300, 220), Kind::Rgb24},
        {Subject::SparkPlug, QSize(300, 220), Kind::Indexed8},
        {Subject::OilFilter, QSize(300, 220), Kind::Rle8},
        {Subject::Battery, QSize(300, 220), Kind::Rle4},
        {Subject::Headlight, QSize(300, 220), Kind::Core8},
        // Smaller and larger than the photo box: centring and clipping show.
        {Subject::Piston, QSize(160, 120), Kind::Rgb24},
        {Subject::Wheel, QSize(400, 300), Kind::Rle8},
    };
}

QImage CatalogueGenerator::photoPixels(const Photo &photo)
{
    const QImage picture = DemoPictures::draw(photo.subject, photo.size);
    switch (photo.kind) {
    case BmpWriter::Kind::Rgb24:
        return picture;
    case BmpWriter::Kind::Rle4:
        return DemoPictures::toIndexed4(picture);
    case BmpWriter::Kind::Indexed8:
    case BmpWriter::Kind::Rle8:
    case BmpWriter::Kind::Core8:
        break;
    }
    return DemoPictures::toIndexed8(picture);
}

QByteArray CatalogueGenerator::photoBytes(const Photo &photo)
{
    return BmpWriter::encode(photoPixels(photo), photo.kind);
}

void CatalogueGenerator::createDemo(const QString &path)
{
    createFilled(path, [](Connection &connection) { fillDemo(connection); });
}

void CatalogueGenerator::createBenchmark(const QString &path, int goodsCount, quint32 seed)
{
    if (goodsCount < 0)
        throw std::invalid_argument("a negative number of goods");
    createFilled(path,
                 [&](Connection &connection) { fillBenchmark(connection, goodsCount, seed); });
}
