#include "ColumnOrder.h"

#include "CollationKey.h"
#include "Error.h"
#include "RowStore.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// Below this many rows a second thread costs more than it saves.
constexpr size_t ParallelRows = 50000;

// Sorts items that are all different (the row settles equal values). A large
// array is split around the median of a sample, those that `before` the
// median go first, and each side is sorted in place by `sortSide` on a core
// of its own: no merge, and no second array. `before` must agree with the
// order that sortSide makes. Returns where the second side begins, or 0 when
// the array was not split.
template <typename T, typename Less, typename Before, typename SortSide>
size_t sortOnBothCores(LargeArray<T> &items, Less less, Before before, SortSide sortSide)
{
    T *const begin = items.begin();
    T *const end = items.end();
    if (items.size() < ParallelRows) {
        sortSide(begin, end);
        return 0;
    }
    constexpr size_t Samples = 1023;
    std::vector<T> sample;
    for (size_t i = 0; i < Samples; ++i)
        sample.push_back(items[i * (items.size() / Samples)]);
    std::nth_element(sample.begin(), sample.begin() + Samples / 2, sample.end(), less);
    const T pivot = sample[Samples / 2];
    T *const middle =
        std::partition(begin, end, [&](const T &item) { return before(item, pivot); });
    std::thread first([&] { sortSide(begin, middle); });
    sortSide(middle, end);
    first.join();
    return size_t(middle - begin);
}

// The first eight bytes of a key, as a number that compares as they do.
quint64 prefixOf(const char *key, size_t length)
{
    if (length >= 8) {
        quint64 bytes;
        std::memcpy(&bytes, key, 8);
        return qFromBigEndian(bytes);
    }
    quint64 prefix = 0;
    for (size_t i = 0; i < 8; ++i)
        prefix = (prefix << 8) | (i < length ? static_cast<unsigned char>(key[i]) : 0);
    return prefix;
}

// A row below this many fits beside the count of key bytes left in one word.
constexpr quint32 RowLimit = quint32(1) << 28;

// One row's text key seen eight bytes at a time: the chunk at some depth as a
// number; where the key stands in the pool; and, in one word, how many of
// its bytes are left from the chunk's start (9 standing for "more than the
// chunk") above the row. Chunk, then that word, order two keys that agree
// before the chunk exactly as their bytes do, a key that is the start of
// another first, and equal keys by row.
struct TextEntry
{
    quint64 chunk;
    quint32 key;
    quint32 restAndRow;

    quint32 row() const { return restAndRow & (RowLimit - 1); }
    quint32 rest() const { return restAndRow >> 28; }

    // Function objects rather than functions, so that the sorts inline them.
    struct Less
    {
        bool operator()(const TextEntry &a, const TextEntry &b) const
        {
            return a.chunk != b.chunk ? a.chunk < b.chunk : a.restAndRow < b.restAndRow;
        }
    };
    // Before in every order of the keys, whatever comes after the chunk.
    struct SurelyBefore
    {
        bool operator()(const TextEntry &a, const TextEntry &b) const
        {
            return a.chunk != b.chunk ? a.chunk < b.chunk : a.rest() < b.rest();
        }
    };
    static constexpr Less less{};
    static constexpr SurelyBefore surelyBefore{};
    bool sameSoFar(const TextEntry &other) const
    {
        return chunk == other.chunk && rest() == other.rest();
    }
};

// The keys in one pool, each as its length in four bytes, then its bytes.
struct TextKeys
{
    const char *pool;

    void take(TextEntry &entry, size_t depth) const
    {
        quint32 length;
        std::memcpy(&length, pool + entry.key, sizeof length);
        const size_t from = depth * 8;
        const size_t left = length > from ? length - from : 0;
        entry.chunk = prefixOf(pool + entry.key + sizeof length + from, left);
        entry.restAndRow = quint32(std::min<size_t>(left, 9)) << 28 | entry.row();
    }
    // The entries of a run stand in no order of the pool: each one's key is
    // asked for ahead, so that the waits for memory overlap.
    void takeAll(TextEntry *begin, TextEntry *end, size_t depth) const
    {
        constexpr std::ptrdiff_t Ahead = 8;
        for (TextEntry *entry = begin; entry != end; ++entry) {
            if (end - entry > Ahead)
                __builtin_prefetch(pool + entry[Ahead].key + depth * 8);
            take(*entry, depth);
        }
    }
};

// Entries [begin, end) whose keys agree on their first `depth` chunks.
struct Run
{
    size_t begin;
    size_t end;
    size_t depth;
};

// Marks where a new value begins inside a run sorted on its chunk at
// `depth - 1` (its first entry keeps its mark), and lists the runs within it
// whose keys agree so far and go on.
void markRuns(const TextEntry *entries, const Run &run, char *startsRun,
              std::vector<Run> &unsettled)
{
    size_t first = run.begin;
    for (size_t i = run.begin + 1; i <= run.end; ++i) {
        const bool same = i < run.end && entries[i].sameSoFar(entries[i - 1]);
        if (i < run.end)
            startsRun[i] = !same;
        if (same)
            continue;
        if (i - first > 1 && entries[first].rest() > 8)
            unsettled.push_back(Run{first, i, run.depth});
        first = i;
    }
}

// Sorts entries [begin, end) by their keys' first chunks, then each run that
// agrees so far and goes on by its next chunk, until every run is settled:
// comparisons stay between numbers however long the beginnings keys share.
void sortTexts(TextEntry *entries, size_t begin, size_t end, const TextKeys &keys,
               char *startsRun)
{
    std::sort(entries + begin, entries + end, TextEntry::less);
    std::vector<Run> unsettled;
    markRuns(entries, Run{begin, end, 1}, startsRun, unsettled);
    while (!unsettled.empty()) {
        const Run run = unsettled.back();
        unsettled.pop_back();
        keys.takeAll(entries + run.begin, entries + run.end, run.depth);
        std::sort(entries + run.begin, entries + run.end, TextEntry::less);
        markRuns(entries, Run{run.begin, run.end, run.depth + 1}, startsRun, unsettled);
    }
}

struct NumberEntry
{
    qint64 value;
    int row;

    struct Less
    {
        bool operator()(const NumberEntry &a, const NumberEntry &b) const
        {
            return a.value != b.value ? a.value < b.value : a.row < b.row;
        }
    };
    static constexpr Less less{};
};

} // namespace

void ColumnOrder::forget(int field)
{
    orders_.erase(field);
}

const LargeArray<int> &ColumnOrder::rows(int field, FieldType type, bool descending)
{
    auto found = orders_.find(field);
    if (found == orders_.end()) {
        if (orders_.size() >= KeptColumns) // the one sorted longest ago goes
            orders_.erase(std::min_element(orders_.begin(), orders_.end(), [](auto &a, auto &b) {
                return a.second.used < b.second.used;
            }));
        Sorted sorted;
        emptyValues(field, sorted);
        if (type == FieldType::Text)
            textAscending(field, sorted);
        else
            numberAscending(field, sorted);
        found = orders_.emplace(field, std::move(sorted)).first;
    }
    found->second.used = ++uses_;
    return descending ? descendingOf(found->second) : found->second.ascending;
}

const LargeArray<int> &ColumnOrder::descendingOf(Sorted &sorted)
{
    const size_t count = sorted.ascending.size();
    if (sorted.descending.size() != count) {
        // The runs in reverse, each keeping its own order.
        sorted.descending.reserve(count);
        size_t end = count;
        for (size_t i = count; i-- > 0;) {
            if (sorted.startsRun[i]) {
                sorted.descending.append(sorted.ascending.data() + i, end - i);
                end = i;
            }
        }
    }
    return sorted.descending;
}

void ColumnOrder::emptyValues(int field, Sorted &sorted) const
{
    const int count = store_.rowCount();
    sorted.ascending.reserve(size_t(count));
    sorted.startsRun.reserve(size_t(count));
    for (int row = 0; row < count; ++row) {
        if (store_.isNull(row, field)) {
            sorted.startsRun.push_back(sorted.ascending.empty() ? 1 : 0);
            sorted.ascending.push_back(row);
        }
    }
}

void ColumnOrder::textAscending(int field, Sorted &sorted) const
{
    const int count = store_.rowCount();
    if (quint32(count) >= RowLimit)
        throw Error(QStringLiteral("Слишком много строк, чтобы упорядочить их по тексту"));
    // Each half of the rows makes its keys on a core of its own, into a part
    // of the pool that is surely large enough for them; only what is written
    // is ever touched.
    const int halves = count >= int(ParallelRows) ? 2 : 1;
    const int middle = halves == 2 ? count / 2 : count;
    size_t poolBytes[2] = {0, 0};
    size_t entryCount[2] = {0, 0};
    for (int row = 0; row < count; ++row) {
        if (!store_.isNull(row, field)) {
            const int half = row >= middle;
            poolBytes[half] += sizeof(quint32) +
                               CollationKey::bytesAtMost(int(store_.utf8(row, field).size()));
            ++entryCount[half];
        }
    }
    if (poolBytes[0] + poolBytes[1] > 0xFFFFFFFFu)
        throw Error(QStringLiteral("Слишком много текста, чтобы упорядочить его"));
    LargeArray<char> pool;
    char *const base = pool.extend(poolBytes[0] + poolBytes[1]);
    LargeArray<TextEntry> entries;
    entries.extend(entryCount[0] + entryCount[1]);
    const auto makeKeys = [&](int half) {
        char *out = base + (half ? poolBytes[0] : 0);
        TextEntry *entry = entries.data() + (half ? entryCount[0] : 0);
        for (int row = half ? middle : 0, end = half ? count : middle; row < end; ++row) {
            if (store_.isNull(row, field))
                continue;
            const std::string_view text = store_.utf8(row, field);
            char *key = out + sizeof(quint32);
            char *const keyEnd = CollationKey::write(key, text.data(), int(text.size()));
            const auto length = quint32(keyEnd - key);
            std::memcpy(out, &length, sizeof length);
            *entry++ = TextEntry{prefixOf(key, length), quint32(out - base),
                                 quint32(std::min<size_t>(length, 9)) << 28 | quint32(row)};
            out = keyEnd;
        }
    };
    if (halves == 2) {
        std::thread first([&] { makeKeys(0); });
        makeKeys(1);
        first.join();
    } else {
        makeKeys(0);
    }

    const TextKeys keys{base};
    LargeArray<char> startsRun(entries.size(), 0);
    TextEntry *const first = entries.begin();
    // Split by the first chunk alone, so that keys that agree on it are
    // sorted on one side; the second side starts a new value.
    const size_t second = sortOnBothCores(
        entries, TextEntry::less, TextEntry::surelyBefore, [&](TextEntry *b, TextEntry *e) {
            sortTexts(first, size_t(b - first), size_t(e - first), keys, startsRun.data());
        });
    if (!entries.empty())
        startsRun[0] = 1;
    if (second > 0 && second < entries.size())
        startsRun[second] = 1;
    for (const TextEntry &entry : entries)
        sorted.ascending.push_back(int(entry.row()));
    sorted.startsRun.append(startsRun.data(), startsRun.size());
}

void ColumnOrder::numberAscending(int field, Sorted &sorted) const
{
    const int count = store_.rowCount();
    // The value and the row side by side; the row settles equal values.
    LargeArray<NumberEntry> entries;
    entries.reserve(size_t(count) - sorted.ascending.size());
    for (int row = 0; row < count; ++row)
        if (!store_.isNull(row, field))
            entries.push_back({store_.integer(row, field), row});
    sortOnBothCores(entries, NumberEntry::less, NumberEntry::less,
                    [](NumberEntry *b, NumberEntry *e) { std::sort(b, e, NumberEntry::less); });
    for (size_t i = 0; i < entries.size(); ++i) {
        sorted.startsRun.push_back(i == 0 || entries[i - 1].value != entries[i].value);
        sorted.ascending.push_back(entries[i].row);
    }
}
