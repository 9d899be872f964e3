#pragma once

#include "TestCatalogue.h"

#include "CatalogueSchema.h"
#include "recordset/Connection.h"
#include "recordset/Cursor.h"
#include "recordset/DataSource.h"
#include "ui/widgets/DBGrid.h"

#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

// A window with a goods grid over a catalogue of `rows` goods (keys 1..rows,
// names "Деталь 1"..) and an edit field after it, for driving a grid alone.
struct GridWindow
{
    explicit GridWindow(int rows)
    {
        catalogue.query("PRAGMA synchronous = OFF"); // set-up speed only
        for (int i = 1; i <= rows; ++i)
            catalogue.addGoods({i, {}, QStringLiteral("Деталь %1").arg(i), {}, rows - i, {}, {},
                                {}, {}, {}});
        cursor.open();
        grid = new DBGrid(&window);
        grid->setColumns({{QStringLiteral("auto_id"), QStringLiteral("Код"), 60, {}, true},
                          {QStringLiteral("tovName"), QStringLiteral("Наименование"), 200, {},
                           true}});
        grid->setDataSource(&source);
        edit = new QLineEdit(&window);
        auto *layout = new QVBoxLayout(&window);
        layout->addWidget(grid);
        layout->addWidget(edit);
        window.resize(320, 300);
        window.show();
        QApplication::setActiveWindow(&window);
        grid->setFocus();
    }

    int currentKey() { return int(cursor.FieldByName(QStringLiteral("auto_id")).AsInteger()); }

    TestCatalogue catalogue;
    Connection connection{QStringLiteral("db.mdb")};
    Cursor cursor{connection, CatalogueSchema::goods()};
    DataSource source{&cursor};
    QWidget window;
    DBGrid *grid = nullptr;
    QLineEdit *edit = nullptr;
};
