#include "PartCode.h"

namespace {

constexpr qint64 LargestStoreCode = 99'999'999'999; // eleven digits

} // namespace

QString PartCode::articleCode(const QString &codeTov)
{
    const QString code = codeTov.trimmed();
    for (const QChar c : code)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return {};
    return code;
}

std::optional<PartCode::Barcode> PartCode::forPart(qint64 autoId, const QString &codeTov)
{
    const QString article = articleCode(codeTov);
    if (!article.isEmpty())
        return Barcode{Symbology::Code128, article};
    const QString ean = storeEan(autoId);
    if (ean.isEmpty())
        return std::nullopt;
    return Barcode{Symbology::Ean13, ean};
}

QString PartCode::storeEan(qint64 autoId)
{
    if (autoId < 0 || autoId > LargestStoreCode)
        return {};
    const QString twelve =
        QLatin1Char('2') + QString::number(autoId).rightJustified(11, QLatin1Char('0'));
    return twelve + QString::number(eanCheckDigit(twelve));
}

std::optional<qint64> PartCode::goodsCodeOf(const QString &scanned)
{
    const QString code = scanned.trimmed();
    if (code.size() != 13 || code[0] != QLatin1Char('2'))
        return std::nullopt;
    const int check = eanCheckDigit(code.left(12));
    if (check < 0 || code[12] != QLatin1Char(char('0' + check)))
        return std::nullopt;
    return code.mid(1, 11).toLongLong();
}

int PartCode::eanCheckDigit(const QString &twelveDigits)
{
    if (twelveDigits.size() != 12)
        return -1;
    int sum = 0;
    for (int i = 0; i < 12; ++i) {
        const QChar c = twelveDigits[i];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        // Weights 1 and 3 alternate from the left.
        sum += (c.unicode() - '0') * (i % 2 == 0 ? 1 : 3);
    }
    return (10 - sum % 10) % 10;
}
