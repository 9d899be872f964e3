#include "Unit_report_all.h"

#include "UnitDM.h"
#include "reports/renderer/ReportPreview.h"

namespace {

using Kind = ReportElement::Kind;

ReportElement element(Kind kind, const char *text, int left, int top, int width, int height,
                      std::optional<ReportFont> font = std::nullopt)
{
    return {kind, QString::fromUtf8(text), left, top, width, height, std::move(font),
            std::nullopt};
}

ReportFont arial(int points, bool bold = false)
{
    return {QStringLiteral("Arial"), points, bold, std::nullopt};
}

} // namespace

TfrmRepAll::TfrmRepAll() : TfrmRepAll(DMAuto->tblAuto) {}

TfrmRepAll::TfrmRepAll(Cursor &goods) : goods_(goods)
{
    repAll.definition = definition();
    repAll.data = &goods_;
}

void TfrmRepAll::exec()
{
    ReportPreview::showModal(repAll);
}

ReportDefinition TfrmRepAll::definition()
{
    ReportDefinition d;
    d.title = QStringLiteral("Список автозапчастей");
    d.frame.top = true;

    ReportBand title{ReportBand::Kind::Title, 299, ReportWhite, {}};
    title.elements = {
        element(Kind::Label, "Товары магазина автозапчастей", 407, 58, 1214, 90,
                ReportFont{QStringLiteral("Tahoma"), 20, true, ReportBlack}),
        element(Kind::DateTime, "", 21, 16, 180, 45),
    };
    const ReportBand strip{ReportBand::Kind::ColumnHeader, 32, 0xffc0dcc0, {}};

    ReportBand goods{ReportBand::Kind::Detail, 344, ReportWhite, {}};
    goods.elements = {
        element(Kind::Label, "Код товара:", 32, 29, 183, 61, arial(9, true)),
        element(Kind::DataText, "auto_id", 222, 29, 114, 45),
        element(Kind::Label, "Наименование:", 503, 29, 238, 61, arial(9, true)),
        element(Kind::DataText, "tovName", 749, 29, 135, 45),
        element(Kind::Label, "Категория:", 26, 98, 151, 61, arial(8)),
        element(Kind::DataText, "strCat", 191, 90, 95, 45),
        element(Kind::Label, "№ склада:", 595, 95, 146, 61, arial(8)),
        element(Kind::DataText, "numSklad", 749, 90, 156, 45),
        element(Kind::Label, "Производитель:", 1000, 87, 220, 61, arial(8)),
        element(Kind::DataText, "strCountry", 1228, 85, 161, 45),
        element(Kind::Label, "Модель:", 63, 175, 111, 61, arial(8)),
        element(Kind::DataText, "models", 188, 175, 114, 45),
        element(Kind::Label, "Марка:", 561, 175, 93, 61, arial(8)),
        element(Kind::DataText, "strMarka", 661, 175, 138, 45),
        element(Kind::Label, "Кол-во:", 63, 254, 106, 61, arial(8)),
        element(Kind::DataText, "counts", 183, 254, 106, 45),
        element(Kind::Label, "Цена:", 574, 254, 77, 61, arial(8)),
        element(Kind::DataText, "price", 659, 254, 77, 45),
    };
    d.bands = {title, strip, goods};
    return d;
}
