#include "ColumnOrder.h"

#include "CollationKey.h"
#include "RowStore.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>

namespace {

// Below this many rows a second thread costs more than it saves.
constexpr size_t ParallelRows = 50000;

// Sorts with both cores: each half on a thread of its own, then one merge.
template <typename T, typename Less> void sortOnBothCores(std::vector<T> &items, Less less)
{
    if (items.size() < ParallelRows) {
        std::sort(items.begin(), items.end(), less);
        return;
    }
    const auto middle = items.begin() + std::ptrdiff_t(items.size() / 2);
    std::thread first([&] { std::sort(items.begin(), middle, less); });
    std::sort(middle, items.end(), less);
    first.join();
    std::inplace_merge(items.begin(), middle, items.end(), less);
}

// The first eight bytes of a key, as a number that compares as they do.
quint64 prefixOf(const char *key, size_t length)
{
    quint64 prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < length ? static_cast<unsigned char>(key[i]) : 0);
    return prefix;
}

} // namespace

void ColumnOrder::forget(int field)
{
    orders_.erase(field);
}

const std::vector<int> &ColumnOrder::rows(int field, FieldType type, bool descending)
{
    auto found = orders_.find(field);
    if (found == orders_.end()) {
        Sorted sorted;
        sorted.ascending = type == FieldType::Text ? textAscending(field, sorted.groupStarts)
                                                   : numberAscending(field, sorted.groupStarts);
        found = orders_.emplace(field, std::move(sorted)).first;
    }
    Sorted &sorted = found->second;
    if (!descending)
        return sorted.ascending;
    if (sorted.descending.empty() && !sorted.ascending.empty()) {
        // The runs of equal values in reverse, each run keeping its own order.
        sorted.descending.reserve(sorted.ascending.size());
        size_t end = sorted.ascending.size();
        for (auto start = sorted.groupStarts.rbegin(); start != sorted.groupStarts.rend(); ++start) {
            sorted.descending.insert(sorted.descending.end(),
                                     sorted.ascending.begin() + *start,
                                     sorted.ascending.begin() + std::ptrdiff_t(end));
            end = size_t(*start);
        }
    }
    return sorted.descending;
}

std::vector<int> ColumnOrder::textAscending(int field, std::vector<int> &groupStarts) const
{
    const int count = store_.rowCount();
    std::vector<int> order;
    order.reserve(size_t(count));
    // Empty values first, in row order: one run.
    for (int row = 0; row < count; ++row)
        if (store_.isNull(row, field))
            order.push_back(row);
    if (!order.empty())
        groupStarts.push_back(0);

    // Every key once, into one pool; each entry carries its key's start
    // as a number, which settles most comparisons.
    struct Entry
    {
        quint64 prefix;
        quint32 offset;
        quint32 length;
        int row;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(count) - order.size());
    std::string keys;
    for (int row = 0; row < count; ++row) {
        if (store_.isNull(row, field))
            continue;
        const std::string_view text = store_.utf8(row, field);
        const size_t start = keys.size();
        CollationKey::append(keys, text.data(), int(text.size()));
        entries.push_back({0, quint32(start), quint32(keys.size() - start), row});
    }
    for (Entry &e : entries)
        e.prefix = prefixOf(keys.data() + e.offset, e.length);
    const char *pool = keys.data();
    const auto compare = [pool](const Entry &a, const Entry &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix ? -1 : 1;
        const quint32 common = std::min(a.length, b.length);
        const int bytes = common > 8 ? std::memcmp(pool + a.offset + 8, pool + b.offset + 8,
                                                   common - 8)
                                     : 0;
        if (bytes != 0)
            return bytes;
        return a.length == b.length ? 0 : (a.length < b.length ? -1 : 1);
    };
    sortOnBothCores(entries, [&](const Entry &a, const Entry &b) {
        const int order = compare(a, b);
        return order != 0 ? order < 0 : a.row < b.row;
    });
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i == 0 || compare(entries[i - 1], entries[i]) != 0)
            groupStarts.push_back(int(order.size()));
        order.push_back(entries[i].row);
    }
    return order;
}

std::vector<int> ColumnOrder::numberAscending(int field, std::vector<int> &groupStarts) const
{
    const int count = store_.rowCount();
    std::vector<int> order;
    order.reserve(size_t(count));
    for (int row = 0; row < count; ++row)
        if (store_.isNull(row, field))
            order.push_back(row);
    if (!order.empty())
        groupStarts.push_back(0);
    // The value and the row side by side; the row settles equal values.
    std::vector<std::pair<qint64, int>> entries;
    entries.reserve(size_t(count) - order.size());
    for (int row = 0; row < count; ++row)
        if (!store_.isNull(row, field))
            entries.emplace_back(store_.integer(row, field), row);
    sortOnBothCores(entries, std::less<>());
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i == 0 || entries[i - 1].first != entries[i].first)
            groupStarts.push_back(int(order.size()));
        order.push_back(entries[i].second);
    }
    return order;
}
