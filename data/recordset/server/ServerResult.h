#pragma once

#include <QByteArray>
#include <QString>
#include <libpq-fe.h>
#include <string_view>
#include <utility>

// One result of the server, freed with it. Rows and columns count from 0.
class ServerResult
{
public:
    explicit ServerResult(PGresult *result = nullptr) : result_(result) {}
    ~ServerResult() { PQclear(result_); }
    ServerResult(ServerResult &&other) noexcept : result_(std::exchange(other.result_, nullptr)) {}
    ServerResult &operator=(ServerResult &&other) noexcept
    {
        std::swap(result_, other.result_);
        return *this;
    }
    ServerResult(const ServerResult &) = delete;
    ServerResult &operator=(const ServerResult &) = delete;

    PGresult *get() const { return result_; }
    int rows() const { return PQntuples(result_); }
    int columns() const { return PQnfields(result_); }
    bool isNull(int row, int column) const { return PQgetisnull(result_, row, column) != 0; }
    std::string_view value(int row, int column) const
    {
        return {PQgetvalue(result_, row, column), size_t(PQgetlength(result_, row, column))};
    }
    QString text(int row, int column) const
    {
        const std::string_view v = value(row, column);
        return QString::fromUtf8(v.data(), qsizetype(v.size()));
    }
    qint64 integer(int row, int column) const
    {
        return QByteArray(PQgetvalue(result_, row, column)).toLongLong();
    }
    // Rows changed by an INSERT, UPDATE or DELETE.
    int changes() const { return QByteArray(PQcmdTuples(result_)).toInt(); }

private:
    PGresult *result_;
};
