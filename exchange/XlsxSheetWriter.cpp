#include "XlsxSheetWriter.h"

#include "recordset/Currency.h"
#include "recordset/Error.h"

#include <QDir>
#include <QFile>
#include <xlsxwriter.h>

namespace {

const char *const kSheetName = "Товары";
const char *const kMoneyFormat = "0.00";

} // namespace

XlsxSheetWriter::XlsxSheetWriter(const QString &path) : path_(path)
{
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    workbook_ = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!workbook_)
        throw Error(
            QStringLiteral("Не удаётся создать файл «%1»").arg(QDir::toNativeSeparators(path)));
    sheet_ = workbook_add_worksheet(workbook_, kSheetName);
    bold_ = workbook_add_format(workbook_);
    format_set_bold(bold_);
    money_ = workbook_add_format(workbook_);
    format_set_num_format(money_, kMoneyFormat);
}

XlsxSheetWriter::~XlsxSheetWriter()
{
    if (workbook_)
        lxw_workbook_free(workbook_); // given up: nothing more is written
}

void XlsxSheetWriter::check(int error) const
{
    if (error != LXW_NO_ERROR)
        throw Error(QStringLiteral("Не удаётся записать файл «%1»: %2")
                        .arg(QDir::toNativeSeparators(path_),
                             QString::fromUtf8(lxw_strerror(lxw_error(error)))));
}

void XlsxSheetWriter::begin(const std::vector<SheetColumn> &columns)
{
    columns_ = int(columns.size());
    // Widths come first: the library writes them ahead of the rows.
    for (int i = 0; i < columns_; ++i) {
        const SheetColumn &column = columns[size_t(i)];
        check(worksheet_set_column(sheet_, lxw_col_t(i), lxw_col_t(i), column.width,
                                   column.kind == SheetColumn::Kind::Money ? money_ : nullptr));
    }
    for (int i = 0; i < columns_; ++i)
        check(worksheet_write_string(sheet_, 0, lxw_col_t(i),
                                     columns[size_t(i)].title.toUtf8().constData(), bold_));
    worksheet_freeze_panes(sheet_, 1, 0);
}

void XlsxSheetWriter::writeRow(const std::vector<SheetCell> &cells)
{
    ++row_;
    for (size_t i = 0; i < cells.size(); ++i) {
        const SheetCell &cell = cells[i];
        const auto col = lxw_col_t(i);
        switch (cell.kind) {
        case SheetCell::Kind::Empty:
            break;
        case SheetCell::Kind::Text:
            if (!cell.text.isEmpty())
                check(worksheet_write_string(sheet_, row_, col, cell.text.toUtf8().constData(),
                                             nullptr));
            break;
        case SheetCell::Kind::Number:
            check(worksheet_write_number(sheet_, row_, col, double(cell.value), nullptr));
            break;
        case SheetCell::Kind::Money:
            // The amount as it is: four decimals fit a double exactly.
            check(worksheet_write_number(sheet_, row_, col, Currency::toReal(cell.value), money_));
            break;
        }
    }
}

void XlsxSheetWriter::finish()
{
    if (columns_ > 0)
        check(worksheet_autofilter(sheet_, 0, 0, row_, lxw_col_t(columns_ - 1)));
    lxw_workbook *workbook = std::exchange(workbook_, nullptr);
    check(workbook_close(workbook));
}
