#include "CodeSearch.h"

#include "UnitDM.h"
#include "gui/MessageBoxes.h"
#include "scan/PartLookup.h"
#include "ui/main/Unit_tr.h"

const QString CodeSearch::Caption = QStringLiteral("Поиск по коду");

QString CodeSearch::notFoundText(const QString &code)
{
    return QStringLiteral("Запчасть с кодом «%1» не найдена.").arg(code.trimmed());
}

QString CodeSearch::hiddenText(const QString &code)
{
    return QStringLiteral("Запчасть с кодом «%1» не видна при текущем поиске.\n"
                          "Сбросить поиск и показать её?")
        .arg(code.trimmed());
}

void CodeSearch::showPart(TfrmMain &window, const QString &code)
{
    Cursor &goods = DMAuto->tblAuto;
    const QString key = QStringLiteral("auto_id");
    const std::vector<PartLookup::Found> found = PartLookup::find(goods, code);
    if (found.empty()) {
        MessageBoxes::information(&window, notFoundText(code), Caption);
        return;
    }
    // Of several parts with one article, the first the search shows.
    for (const PartLookup::Found &part : found)
        if (goods.Locate(key, part.key))
            return;
    if (!MessageBoxes::confirm(hiddenText(code), Caption))
        return;
    window.clearSearch();
    goods.Locate(key, found.front().key);
}
