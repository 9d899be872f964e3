#include "CsvSheetWriter.h"

#include "recordset/Currency.h"
#include "recordset/Error.h"

#include <QDir>

namespace {

constexpr char kSeparator = ';';
constexpr const char *kLineEnd = "\r\n";
constexpr int FlushBytes = 1 << 16;

} // namespace

CsvSheetWriter::CsvSheetWriter(const QString &path) : file_(path)
{
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(QStringLiteral("Не удаётся создать файл «%1»: %2")
                        .arg(QDir::toNativeSeparators(path), file_.errorString()));
    buffer_ = QByteArray("\xEF\xBB\xBF"); // so that the spreadsheet reads UTF-8
}

QString CsvSheetWriter::field(const QString &text)
{
    // Quoted only when it has to be: a separator, a quote, a line break, or
    // blanks at an end that a spreadsheet would drop.
    const bool quote = text.contains(QLatin1Char(kSeparator)) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                       (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quote)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

void CsvSheetWriter::writeLine(const QStringList &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i)
            buffer_ += kSeparator;
        buffer_ += field(fields[i]).toUtf8();
    }
    buffer_ += kLineEnd;
    if (buffer_.size() >= FlushBytes) {
        if (file_.write(buffer_) != buffer_.size())
            throw Error(QStringLiteral("Не удаётся записать файл «%1»: %2")
                            .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
        buffer_.clear();
    }
}

void CsvSheetWriter::begin(const std::vector<SheetColumn> &columns)
{
    QStringList titles;
    for (const SheetColumn &column : columns)
        titles << column.title;
    writeLine(titles);
}

void CsvSheetWriter::writeRow(const std::vector<SheetCell> &cells)
{
    QStringList fields;
    fields.reserve(qsizetype(cells.size()));
    for (const SheetCell &cell : cells) {
        switch (cell.kind) {
        case SheetCell::Kind::Empty:
            fields << QString();
            break;
        case SheetCell::Kind::Text:
            fields << cell.text;
            break;
        case SheetCell::Kind::Number:
            fields << QString::number(cell.value);
            break;
        case SheetCell::Kind::Money:
            fields << Currency::format(cell.value, QLatin1Char(','));
            break;
        }
    }
    writeLine(fields);
}

void CsvSheetWriter::finish()
{
    if (file_.write(buffer_) != buffer_.size() || !file_.flush())
        throw Error(QStringLiteral("Не удаётся записать файл «%1»: %2")
                        .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
    buffer_.clear();
    file_.close();
}
