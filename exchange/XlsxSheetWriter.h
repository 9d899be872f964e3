#pragma once

#include "SheetWriter.h"

struct lxw_format;
struct lxw_workbook;
struct lxw_worksheet;

// A table as an Excel workbook of one sheet, written row by row in the
// library's constant-memory mode: a bold title row that stays in view with
// an auto-filter, amounts as numbers shown with two decimals.
class XlsxSheetWriter : public SheetWriter
{
public:
    explicit XlsxSheetWriter(const QString &path);
    ~XlsxSheetWriter() override;

    void begin(const std::vector<SheetColumn> &columns) override;
    void writeRow(const std::vector<SheetCell> &cells) override;
    void finish() override;

private:
    void check(int error) const;

    QString path_;
    lxw_workbook *workbook_ = nullptr;
    lxw_worksheet *sheet_ = nullptr;
    lxw_format *bold_ = nullptr;
    lxw_format *money_ = nullptr;
    unsigned row_ = 0;
    int columns_ = 0;
};
