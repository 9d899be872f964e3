#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class Connection;
struct sqlite3_stmt;

// One prepared statement with bound parameters (1-based, as the engine counts).
class Statement
{
public:
    Statement(const Connection &connection, const char *sql);
    Statement(const Connection &connection, const QByteArray &sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bindNull(int index);
    void bindInteger(int index, qint64 value);
    void bindReal(int index, double value);
    // An amount in ten-thousandths, as the column holds it: in roubles.
    void bindCurrency(int index, qint64 value);
    void bindText(int index, const QString &value);
    void bindBlob(int index, const QByteArray &value);

    // Runs to the next row; false when done. A refusal throws StoreError.
    bool step();
    void reset();

    enum class Type { Null, Integer, Real, Text, Blob };
    int columns() const;
    Type type(int column) const;
    bool isNull(int column) const;
    double real(int column) const;
    qint64 integer(int column) const;
    QString text(int column) const;
    // The UTF-8 bytes of a text value, valid until the next step.
    const char *utf8(int column, int *length) const;
    QByteArray blob(int column) const;
    // The size in bytes of a text or blob value.
    qint64 bytes(int column) const;
    // An amount in roubles, whatever its storage class, in ten-thousandths;
    // none when the value is NULL or no number.
    std::optional<qint64> currency(int column) const;

    // One value of the current row with one look at it, for reading many
    // rows: its class, and the number, the text (valid until the next step)
    // or the size of a text or blob.
    struct Value
    {
        Type type = Type::Null;
        qint64 integer = 0;
        double real = 0;
        const char *text = nullptr;
        int size = 0;

        // As currency() reads it.
        std::optional<qint64> currency() const;
    };
    Value value(int column) const;

    // Rows changed by the last INSERT, UPDATE or DELETE of the connection.
    int changes() const;
    qint64 lastInsertRowId() const;

private:
    void check(int rc) const;

    const Connection &connection_;
    sqlite3_stmt *stmt_ = nullptr;
};
