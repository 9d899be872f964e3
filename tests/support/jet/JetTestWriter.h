#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

// Writes small Jet database files (Access 97 and 2000 formats) for the tests
// of the catalogue conversion. Real Jet files cannot be made on this machine,
// so the tests make their own from the published description of the format
// and check them with the mdbtools command-line tools. Test code only: the
// program never writes Jet files.

// A column's type, with the codes the format stores.
enum class JetType : quint8 {
    Boolean = 0x01,
    Byte = 0x02,
    Integer = 0x03,  // 16-bit
    Long = 0x04,     // 32-bit
    Currency = 0x05, // 64-bit count of ten-thousandths
    Single = 0x06,
    Double = 0x07,
    DateTime = 0x08,
    Binary = 0x09,
    Text = 0x0A,
    Ole = 0x0B,  // long binary
    Memo = 0x0C, // long text
    Numeric = 0x10,
};

struct JetColumnPlan
{
    QString name;
    JetType type = JetType::Long;
    int size = 0;            // Text: characters; Binary: bytes; ignored otherwise
    bool autoNumber = false; // Long only: the table's counter fills it
    int precision = 18;      // Numeric only
    int scale = 0;           // Numeric only
};

// How a text is laid down in a Jet 4 file: the two-byte form, or the
// "Unicode compression" form (0xFF 0xFE, then runs of one-byte characters),
// which is used only where it is shorter, as Access does. Jet 3 files keep
// text in the file's code page whatever this says.
enum class JetTextForm { Compressed, Uncompressed };

// Where the bytes of a long value (Ole, Memo) are kept: inside the row, on
// one long-value page, or chained over several pages. Auto picks as Access
// does: inside the row when it fits, one page when it fits, else a chain.
enum class JetLongForm { Auto, Inline, SinglePage, Chained };

struct JetCell
{
    enum class Kind { Null, Integer, Real, Currency, Text, Bytes };
    Kind kind = Kind::Null;
    qint64 integer = 0; // Integer; Currency: ten-thousandths
    double real = 0;    // Real (Single, Double)
    QString text;       // Text, Memo
    QByteArray bytes;   // Ole, Binary
    JetTextForm textForm = JetTextForm::Compressed;
    JetLongForm longForm = JetLongForm::Auto;

    static JetCell null() { return {}; }
    static JetCell number(qint64 value);
    static JetCell currency(qint64 tenThousandths);
    static JetCell realNumber(double value);
    static JetCell string(const QString &value, JetTextForm form = JetTextForm::Compressed);
    static JetCell blob(const QByteArray &value, JetLongForm form = JetLongForm::Auto);
};

struct JetTablePlan
{
    QString name;
    std::vector<JetColumnPlan> columns;
    std::vector<std::vector<JetCell>> rows; // each row has one cell per column
    // The table's next autonumber as the definition page keeps it; 0: one
    // past the largest value of the autonumber column (1 when empty).
    qint32 nextAutoNumber = 0;
    // Indexes (into `rows`) of rows written as an overflow row: the row's
    // slot holds a pointer to the row's bytes kept on another data page of
    // the table, as Jet does when an edited row no longer fits its page.
    std::vector<int> overflowRows;
    // Rows written and then marked deleted, between the live ones; a reader
    // must not see them. Their cells are made up by the writer.
    int deletedRows = 0;
};

struct JetFilePlan
{
    enum class Version { Jet3, Jet4 };
    Version version = Version::Jet4;
    // The code page the header declares; Jet 3 text is stored in it (1251:
    // Windows Cyrillic). 0 declares none.
    quint16 codePage = 1251;
    // The sort order (locale) the header declares; 0x419 is Russian.
    quint16 sortOrder = 0x419;
    // Non-empty: the header carries this database password.
    QString password;
    // Non-zero: every page after the first is encoded with this key, as the
    // "encrypt database" command does.
    quint32 databaseKey = 0;
    std::vector<JetTablePlan> tables; // user tables, in this order
};

class JetTestWriter
{
public:
    // The whole file. Throws std::runtime_error for a plan it cannot write.
    static QByteArray write(const JetFilePlan &plan);
    static void writeFile(const QString &path, const JetFilePlan &plan);
    // The page size of a version: 2048 (Jet 3) or 4096 (Jet 4).
    static int pageSize(JetFilePlan::Version version);
};
