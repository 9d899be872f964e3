#include "Unit_report_selected.h"

#include "UnitDM.h"
#include "photo/PhotoCodec.h"
#include "reports/renderer/ReportPreview.h"

namespace {

using Kind = ReportElement::Kind;

ReportElement element(Kind kind, const char *text, int left, int top, int width, int height,
                      std::optional<ReportFont> font = std::nullopt)
{
    return {kind, QString::fromUtf8(text), left, top, width, height, std::move(font),
            std::nullopt};
}

ReportElement label(const char *caption, int left, int top, int width)
{
    return element(Kind::Label, caption, left, top, width, 61,
                   ReportFont{QStringLiteral("Arial"), 14, true, std::nullopt});
}

ReportElement value(const char *column, int left, int top, int width)
{
    return element(Kind::DataText, column, left, top, width, 45);
}

} // namespace

TfrmRepSelect::TfrmRepSelect() : TfrmRepSelect(DMAuto->tblAuto) {}

TfrmRepSelect::TfrmRepSelect(Cursor &goods) : goods_(goods)
{
    repSelect.definition = definition();
    repSelect.data = &goods_;
    repSelect.decodePicture = &TfrmRepSelect::photo;
}

void TfrmRepSelect::exec()
{
    ReportPreview::showModal(repSelect);
}

Picture TfrmRepSelect::photo(const QByteArray &stored)
{
    const Bitmap bitmap = PhotoCodec::readColumn(stored);
    if (bitmap.isNull())
        return {};
    return {bitmap.width, bitmap.height, bitmap.toArgb()};
}

ReportDefinition TfrmRepSelect::definition()
{
    ReportDefinition d; // no title and no frame

    ReportBand card{ReportBand::Kind::Title, 1225, ReportWhite, {}};
    card.elements = {
        element(Kind::Label, "Товар магазина автозапчастей", 392, 63, 1154, 103,
                ReportFont{QStringLiteral("Tahoma"), 20, true, ReportBlack}),
        label("Наименование:", 32, 336, 392),
        value("tovName", 445, 344, 135),
        element(Kind::DataPicture, "screenshots", 1005, 405, 794, 582),
        label("Категория:", 32, 437, 280),
        value("strCat", 323, 447, 95),
        label("Производитель:", 32, 542, 421),
        value("strCountry", 466, 548, 161),
        label("Марка:", 32, 643, 183),
        value("strMarka", 233, 648, 138),
        label("Код товара:", 32, 738, 307),
        value("auto_id", 355, 743, 114),
        label("Модель:", 29, 825, 222),
        value("models", 270, 831, 114),
        label("Количество:", 32, 915, 323),
        value("counts", 370, 921, 106),
        label("№ склада:", 32, 1000, 267),
        value("numSklad", 333, 1008, 156),
        label("Цена:", 32, 1085, 146),
        value("price", 206, 1093, 77),
    };
    ReportBand foot{ReportBand::Kind::PageFooter, 106, ReportWhite, {}};
    foot.elements = {element(Kind::DateTime, "", 1609, 32, 180, 45)};
    d.bands = {card, foot};
    return d;
}
