#pragma once

#include "ReportData.h"

#include <QHash>
#include <QStringList>

// One row copied out of other rows, so that a report of it leaves them where
// they are.
class RowCopyData : public ReportData
{
public:
    // The current row of `from`, its `columns` as text.
    RowCopyData(const ReportData &from, const QStringList &columns);

    void First() override { eof_ = false; }
    void Next() override { eof_ = true; }
    bool Eof() const override { return eof_; }
    int RecordCount() const override { return 1; }
    QString text(const QString &column) const override;
    QByteArray bytes(const QString &) const override { return {}; }

private:
    QHash<QString, QString> texts_;
    bool eof_ = false;
};
