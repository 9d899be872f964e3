#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <optional>

struct sqlite3;

// A fresh catalogue file `db.mdb` in a temporary folder, which becomes the
// current directory for the object's life, as the program expects. Set-up and
// checks go straight to the file through a connection of the test's own.
class TestCatalogue
{
public:
    struct Goods
    {
        std::optional<int> numSklad;
        std::optional<int> catId;
        std::optional<QString> tovName;
        std::optional<QString> models;
        std::optional<int> counts;
        std::optional<qint64> price; // ten-thousandths
        std::optional<int> autoType;
        std::optional<int> countryId;
        std::optional<QByteArray> screenshots;
        std::optional<QString> codeTov;
    };

    TestCatalogue();
    ~TestCatalogue();
    TestCatalogue(const TestCatalogue &) = delete;
    TestCatalogue &operator=(const TestCatalogue &) = delete;

    QString folder() const { return dir_.path(); }
    QString path() const;

    qint64 addCategory(const QString &name);
    qint64 addMake(const QString &name);
    qint64 addCountry(const QString &name);
    qint64 addGoods(const Goods &goods);

    // Runs a statement with positional parameters; returns the first column
    // of the first row, or an invalid QVariant.
    QVariant query(const char *sql, const QVariantList &parameters = {});
    int count(const char *table);

private:
    QTemporaryDir dir_;
    QString previousDir_;
    sqlite3 *db_ = nullptr;
};
