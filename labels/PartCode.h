#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What barcode a part's label carries, and which part a scanned code names.
// A part with an article code a scanner can type back (printable ASCII) gets
// it as Code 128; any other part gets an in-store EAN-13 made of the prefix
// 2, its goods code in eleven digits and the check digit, so that every part
// can be labelled.
class PartCode
{
public:
    enum class Symbology { Code128, Ean13 };

    struct Barcode
    {
        Symbology symbology = Symbology::Ean13;
        QString data; // what the symbol encodes and a scanner types back

        bool operator==(const Barcode &other) const
        {
            return symbology == other.symbology && data == other.data;
        }
    };

    // The article code as a label would carry it: trimmed; empty when it has
    // none or has a character outside printable ASCII.
    static QString articleCode(const QString &codeTov);
    // The barcode of the part with goods code `autoId` and article `codeTov`;
    // none when the part has no article code and its goods code does not fit
    // eleven digits (or is negative).
    static std::optional<Barcode> forPart(qint64 autoId, const QString &codeTov);
    // The in-store EAN-13 of a goods code, check digit included; empty when
    // the code does not fit.
    static QString storeEan(qint64 autoId);
    // The goods code in an in-store EAN-13 with a right check digit.
    static std::optional<qint64> goodsCodeOf(const QString &scanned);
    // The check digit of twelve digits of an EAN-13; -1 when they are not
    // twelve digits.
    static int eanCheckDigit(const QString &twelveDigits);
};
