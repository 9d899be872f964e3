#include "BarcodeSymbol.h"

#include "recordset/Error.h"

#include <zint.h>

#include <cmath>
#include <memory>

namespace {

// Code 128 asks for ten modules of quiet zone on either side; the library
// adds EAN-13's own (eleven before, seven after) by itself.
constexpr int Code128Quiet = 10;

struct SymbolDeleter
{
    void operator()(zint_symbol *symbol) const { ZBarcode_Delete(symbol); }
};

} // namespace

BarcodeSymbol BarcodeSymbol::make(const PartCode::Barcode &code)
{
    std::unique_ptr<zint_symbol, SymbolDeleter> symbol(ZBarcode_Create());
    if (!symbol)
        throw Error(QStringLiteral("Не хватает памяти для штрихкода"));
    const bool ean = code.symbology == PartCode::Symbology::Ean13;
    symbol->symbology = ean ? BARCODE_EANX : BARCODE_CODE128;
    symbol->input_mode = DATA_MODE;
    symbol->show_hrt = 0;
    // At half scale the vector's unit is one module.
    symbol->scale = 0.5f;
    // EAN-13 is given its twelve digits: the library works out the check digit.
    const QByteArray data = (ean ? code.data.left(12) : code.data).toLatin1();
    if (ZBarcode_Encode(symbol.get(), reinterpret_cast<const unsigned char *>(data.constData()),
                        int(data.size())) >= ZINT_ERROR ||
        ZBarcode_Buffer_Vector(symbol.get(), 0) >= ZINT_ERROR)
        throw Error(QStringLiteral("Штрихкод «%1» не получается: %2")
                        .arg(code.data, QString::fromLatin1(symbol->errtxt)));

    const zint_vector &vector = *symbol->vector;
    const int extra = ean ? 0 : Code128Quiet;
    const int width = int(std::lround(vector.width));
    BarcodeSymbol result;
    result.modules = QString(width + 2 * extra, QLatin1Char('0'));
    float shortest = vector.height;
    float tallest = 0;
    for (const zint_vector_rect *r = vector.rectangles; r; r = r->next) {
        shortest = std::min(shortest, r->height);
        tallest = std::max(tallest, r->height);
    }
    int first = width;
    int last = 0;
    for (const zint_vector_rect *r = vector.rectangles; r; r = r->next) {
        const int from = int(std::lround(r->x));
        const int to = std::min(width, int(std::lround(r->x + r->width)));
        const QChar mark = r->height > shortest ? QLatin1Char('2') : QLatin1Char('1');
        for (int m = from; m < to; ++m)
            result.modules[extra + m] = mark;
        first = std::min(first, from);
        last = std::max(last, to);
    }
    result.guardDepth = int(std::lround(tallest - shortest));
    result.leftQuiet = extra + first;
    result.rightQuiet = extra + (width - last);
    result.text =
        ean ? QString::fromLatin1(reinterpret_cast<const char *>(symbol->text)) : code.data;
    return result;
}
