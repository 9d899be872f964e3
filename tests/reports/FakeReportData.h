#pragma once

#include "reports/renderer/ReportData.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVector>

// Rows held in memory, with a count of the moves the renderer makes.
class FakeReportData : public ReportData
{
public:
    using Row = QMap<QString, QString>;

    explicit FakeReportData(QVector<Row> rows = {}) : rows_(std::move(rows)) {}

    // `count` rows whose tovName is "Деталь 1".. and auto_id 1..
    static FakeReportData numbered(int count)
    {
        QVector<Row> rows;
        for (int i = 1; i <= count; ++i)
            rows.append({{QStringLiteral("auto_id"), QString::number(i)},
                         {QStringLiteral("tovName"), QStringLiteral("Деталь %1").arg(i)}});
        return FakeReportData(rows);
    }

    void setBytes(int row, const QString &column, const QByteArray &bytes)
    {
        blobs_[qMakePair(row, column)] = bytes;
    }

    void First() override
    {
        current_ = 0;
        ++moves;
    }
    void Next() override
    {
        if (current_ < rows_.size())
            ++current_;
        ++moves;
    }
    bool Eof() const override { return current_ >= rows_.size(); }
    int RecordCount() const override { return int(rows_.size()); }
    QString text(const QString &column) const override
    {
        return current_ < rows_.size() ? rows_[current_].value(column) : QString();
    }
    QByteArray bytes(const QString &column) const override
    {
        return blobs_.value(qMakePair(current_, column));
    }

    int current() const { return current_; }
    int moves = 0;

private:
    QVector<Row> rows_;
    QMap<QPair<int, QString>, QByteArray> blobs_;
    int current_ = 0;
};
