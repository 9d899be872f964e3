#include "SheetWriter.h"

#include "CsvSheetWriter.h"
#include "XlsxSheetWriter.h"

std::optional<SheetWriter::Format> SheetWriter::formatOf(const QString &fileName)
{
    if (fileName.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        return Format::Xlsx;
    if (fileName.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        return Format::Csv;
    return std::nullopt;
}

std::unique_ptr<SheetWriter> SheetWriter::create(Format format, const QString &path)
{
    if (format == Format::Xlsx)
        return std::make_unique<XlsxSheetWriter>(path);
    return std::make_unique<CsvSheetWriter>(path);
}
