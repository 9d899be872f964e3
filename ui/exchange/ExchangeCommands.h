#pragma once

#include "exchange/GoodsExport.h"

#include <vector>

class BackupService;
class DBGrid;
class QWidget;

// The two commands of the menu "Сервис" that deal with spreadsheets.
class ExchangeCommands
{
public:
    // "Сохранить найденные в таблицу…": the rows the grid shows, its visible
    // columns in their order, and the article code.
    static void exportFound(QWidget *owner, const DBGrid &grid);
    // "Загрузить прайс-лист…": true when the catalogue was changed.
    static bool importPriceList(QWidget *owner, BackupService &backups);

    // The grid's visible columns as the user has arranged them, then "Артикул".
    static std::vector<GoodsExport::Column> columnsOf(const DBGrid &grid);
};
