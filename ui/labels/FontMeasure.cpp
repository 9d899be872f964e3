#include "FontMeasure.h"

#include "reports/renderer/PagePainter.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>

#include <memory>

namespace {

constexpr int Dpi = 600;
constexpr double PixelsPerTenth = Dpi / 254.0;

} // namespace

TextMeasure FontMeasure::measure()
{
    auto device = std::make_shared<QImage>(1, 1, QImage::Format_ARGB32);
    const int dotsPerMetre = int(Dpi / 0.0254 + 0.5);
    device->setDotsPerMeterX(dotsPerMetre);
    device->setDotsPerMeterY(dotsPerMetre);
    // A label asks for a few fonts many times over.
    auto known = std::make_shared<QHash<QString, QFontMetricsF>>();
    const auto metrics = [device, known](const ReportFont &font) -> const QFontMetricsF & {
        const QString key =
            QStringLiteral("%1/%2/%3").arg(font.family).arg(font.pointSize).arg(font.bold);
        auto found = known->constFind(key);
        if (found == known->constEnd())
            found = known->insert(
                key,
                QFontMetricsF(PagePainter::font(font, PixelsPerTenth, device.get()), device.get()));
        return *found;
    };
    TextMeasure result;
    result.width = [metrics](const ReportFont &font, const QString &text) {
        return metrics(font).horizontalAdvance(text) / PixelsPerTenth;
    };
    result.lineHeight = [metrics](const ReportFont &font) {
        return metrics(font).lineSpacing() / PixelsPerTenth;
    };
    return result;
}
