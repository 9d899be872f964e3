#pragma once

#include "JetFile.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

// One column of a Jet table, as its definition page describes it.
struct JetColumn
{
    // The type codes of the file format.
    enum Type {
        Boolean = 0x01,
        Byte = 0x02,
        Integer = 0x03,
        Long = 0x04,
        Currency = 0x05,
        Single = 0x06,
        Double = 0x07,
        DateTime = 0x08,
        Binary = 0x09,
        Text = 0x0A,
        Ole = 0x0B,
        Memo = 0x0C,
        ReplicationId = 0x0F,
        Numeric = 0x10,
    };

    QString name;
    int type = Long;
    int size = 0; // Text: characters; Binary: bytes
    bool autoNumber = false;

    // The type as Access names it to a user.
    static QString typeName(int type);
};

// The rows of one table of a JetFile, read one after another. The rows are
// walked here rather than with the library's own fetch, which takes a row
// moved to another page for a deleted one and so would lose it; everything
// else (the table and column definitions, the page maps, the layout of a
// row) is the library's. Damage found on the way throws Error.
class JetTable
{
public:
    ~JetTable();
    JetTable(const JetTable &) = delete;
    JetTable &operator=(const JetTable &) = delete;

    const QString &name() const;
    const std::vector<JetColumn> &columns() const;
    // The column of that name (letter case aside), or -1.
    int columnIndex(const QString &name) const;
    // The value the table's counter gives the next new row; 0 when none.
    qint64 nextAutoNumber() const;
    // The rows the table definition counts.
    qint64 declaredRows() const;

    // Moves to the next row; false after the last. A table that ends with
    // fewer rows than it counts is damaged.
    bool next();

    // Values of the current row; each reader takes the column types its
    // name says (integer: Boolean, Byte, Integer, Long).
    bool isNull(int column) const;
    qint64 integer(int column) const;
    qint64 currency(int column) const;  // ten-thousandths
    double real(int column) const;      // Single, Double
    QString text(int column) const;     // Text, Memo
    QByteArray bytes(int column) const; // Binary, Ole: every byte, wherever kept

private:
    friend class JetFile;
    JetTable(JetFile &file, JetFile::Private &data, void *entry);

    struct Private;
    std::unique_ptr<Private> d_;
};
