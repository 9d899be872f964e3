#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <vector>

// A column of a table being written: its title, the kind of its cells, and
// its width in characters.
struct SheetColumn
{
    enum class Kind { Text, Number, Money };
    QString title;
    Kind kind = Kind::Text;
    int width = 10;
};

// One cell: empty, a text, an integer, or an amount in ten-thousandths.
struct SheetCell
{
    enum class Kind { Empty, Text, Number, Money };
    Kind kind = Kind::Empty;
    QString text;
    qint64 value = 0;
};

// Writes a table row by row into a spreadsheet file, keeping no more than a
// row in memory. Failures throw Error.
class SheetWriter
{
public:
    enum class Format { Xlsx, Csv };
    // The format a file name asks for, by its suffix.
    static std::optional<Format> formatOf(const QString &fileName);
    static std::unique_ptr<SheetWriter> create(Format format, const QString &path);

    virtual ~SheetWriter() = default;
    // The title row.
    virtual void begin(const std::vector<SheetColumn> &columns) = 0;
    virtual void writeRow(const std::vector<SheetCell> &cells) = 0;
    // Completes the file; a writer destroyed before leaves what it wrote
    // for the caller to remove.
    virtual void finish() = 0;
};
