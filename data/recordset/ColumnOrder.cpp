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
        if (orders_.size() >= KeptColumns) // the one sorted longest ago goes
            orders_.erase(std::min_element(orders_.begin(), orders_.end(), [](auto &a, auto &b) {
                return a.second.used < b.second.used;
            }));
        Sorted sorted;
        std::vector<int> groupStarts; // where each run of equal values begins
        sorted.ascending = type == FieldType::Text ? textAscending(field, groupStarts)
                                                   : numberAscending(field, groupStarts);
        // The runs in reverse, each keeping its own order.
        sorted.descending.reserve(sorted.ascending.size());
        size_t end = sorted.ascending.size();
        for (auto start = groupStarts.rbegin(); start != groupStarts.rend(); ++start) {
            sorted.descending.insert(sorted.descending.end(), sorted.ascending.begin() + *start,
                                     sorted.ascending.begin() + std::ptrdiff_t(end));
            end = size_t(*start);
        }
        found = orders_.emplace(field, std::move(sorted)).first;
    }
    found->second.used = ++uses_;
    return descending ? found->second.descending : found->second.ascending;
}

std::vector<int> ColumnOrder::emptyValues(int field, std::vector<int> &groupStarts) const
{
    // Empty values first, in row order: one run.
    std::vector<int> order;
    order.reserve(size_t(store_.rowCount()));
    for (int row = 0; row < store_.rowCount(); ++row)
        if (store_.isNull(row, field))
            order.push_back(row);
    if (!order.empty())
        groupStarts.push_back(0);
    return order;
}

std::vector<int> ColumnOrder::textAscending(int field, std::vector<int> &groupStarts) const
{
    const int count = store_.rowCount();
    std::vector<int> order = emptyValues(field, groupStarts);

    // Every key once, into one pool (row r's from offsets[r] to
    // offsets[r + 1]); each entry carries its key's start as a number, which
    // settles most comparisons.
    struct Entry
    {
        quint64 prefix;
        int row;
    };
    std::vector<Entry> entries;
    entries.reserve(size_t(count) - order.size());
    std::vector<quint32> offsets(size_t(count) + 1, 0);
    std::string keys;
    // A key takes a byte for each character a catalogue is usually written
    // in, which is at most as many as its UTF-8 bytes.
    size_t bytes = 0;
    for (int row = 0; row < count; ++row)
        bytes += store_.isNull(row, field) ? 0 : store_.utf8(row, field).size();
    keys.reserve(bytes);
    for (int row = 0; row < count; ++row) {
        if (!store_.isNull(row, field)) {
            const std::string_view text = store_.utf8(row, field);
            const size_t start = keys.size();
            CollationKey::append(keys, text.data(), int(text.size()));
            entries.push_back({prefixOf(keys.data() + start, keys.size() - start), row});
        }
        offsets[size_t(row) + 1] = quint32(keys.size());
    }
    const char *pool = keys.data();
    const auto compare = [pool, &offsets](const Entry &a, const Entry &b) {
        if (a.prefix != b.prefix)
            return a.prefix < b.prefix ? -1 : 1;
        const quint32 aStart = offsets[size_t(a.row)], aLength = offsets[size_t(a.row) + 1] - aStart;
        const quint32 bStart = offsets[size_t(b.row)], bLength = offsets[size_t(b.row) + 1] - bStart;
        const quint32 common = std::min(aLength, bLength);
        const int order =
            common > 8 ? std::memcmp(pool + aStart + 8, pool + bStart + 8, common - 8) : 0;
        if (order != 0)
            return order;
        return aLength == bLength ? 0 : (aLength < bLength ? -1 : 1);
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
    std::vector<int> order = emptyValues(field, groupStarts);
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
