#pragma once

#include "journal/JournalQuery.h"
#include "journal/JournalText.h"

#include <QAbstractTableModel>
#include <array>
#include <map>
#include <vector>

class Store;

// The journal as a list, newest first, read a page at a time as the view
// scrolls down: a window over a million records opens at once. Each page's
// words are made when it is read, so that painting never touches the store.
class JournalModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { At, Computer, User, Road, Row, Change, ColumnCount };
    enum Role { RecordIdRole = Qt::UserRole + 1, OperationRole };

    static constexpr int PageSize = 200;

    explicit JournalModel(Store &store, QObject *parent = nullptr);

    // Shows the records `filter` lets through, from the newest. Throws
    // Error when the store refuses; then the list stays as it was.
    void setFilter(const JournalQuery::Filter &filter);
    const JournalQuery::Filter &filter() const { return filter_; }
    // Reads the list anew with the same filter, after a change.
    void refresh() { setFilter(filter_); }

    const JournalRecord &record(int row) const { return lines_[size_t(row)].record; }
    // The row of the record numbered `id` among those read so far, or -1.
    int rowOf(qint64 id) const;

    // The words a record is shown in; reference names are read through
    // the store once each.
    const JournalText &text() const { return text_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    // «Когда» as the list shows it: local time to the second.
    static QString timeText(const QDateTime &utc);
    // The login, with the server's role where it is another name.
    static QString userText(const JournalRecord &record);

signals:
    // The next page could not be read; the list stops where it is.
    void failed(const QString &message);

private:
    struct Line
    {
        JournalRecord record;
        std::array<QString, ColumnCount> texts;
    };
    Line lineOf(JournalRecord record) const;
    QString referenceName(const QString &table, qint64 key) const;

    Store &store_;
    JournalQuery query_;
    JournalText text_;
    JournalQuery::Filter filter_;
    std::vector<Line> lines_;
    bool atEnd_ = true;
    // Reference names by table and key, read once per list.
    mutable std::map<std::pair<QString, qint64>, QString> names_;
};
