#include "CsvReader.h"

#include "recordset/Error.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <csv.h>

namespace {

constexpr int SampledLines = 20;
constexpr int ChunkBytes = 1 << 16;

struct Collector
{
    SheetTable *table;
    QStringList row;
};

void addField(void *field, size_t length, void *data)
{
    auto *collector = static_cast<Collector *>(data);
    collector->row << QString::fromUtf8(static_cast<const char *>(field), qsizetype(length));
}

void endRow(int, void *data)
{
    auto *collector = static_cast<Collector *>(data);
    // A row of empty fields only stands for an empty line.
    bool empty = true;
    for (const QString &field : std::as_const(collector->row))
        empty = empty && field.isEmpty();
    collector->table->rows.push_back(empty ? QStringList() : collector->row);
    collector->row.clear();
}

// Empty lines are skipped by the parser; a lone separator keeps each in its place.
QString markEmptyLines(const QString &text, QChar separator)
{
    QString marked;
    marked.reserve(text.size() + 64);
    bool quoted = false;
    bool lineStart = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r'))) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            if (lineStart)
                marked += separator;
            marked += QLatin1Char('\n');
            lineStart = true;
            continue;
        }
        marked += c;
        lineStart = false;
    }
    return marked;
}

} // namespace

QString CsvReader::decode(const QByteArray &bytes, QString *encoding)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        if (encoding)
            *encoding = QStringLiteral("UTF-8");
        return QString::fromUtf8(bytes.mid(3));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError()) {
        if (encoding)
            *encoding = QStringLiteral("UTF-8");
        return text;
    }
    // Not UTF-8: what Russian programs wrote before it.
    QStringDecoder cp1251("windows-1251");
    if (encoding)
        *encoding = QStringLiteral("Windows-1251");
    return cp1251(bytes);
}

char CsvReader::separatorOf(const QString &text)
{
    // The separator that stands the same number of times, and at least once,
    // in each of the first lines (outside quotes) wins.
    const char candidates[] = {';', '\t', ','};
    std::vector<std::vector<int>> counts(3);
    bool quoted = false;
    int line = 0;
    std::vector<int> current(3, 0);
    for (qsizetype i = 0; i < text.size() && line < SampledLines; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        if (quoted)
            continue;
        if (c == QLatin1Char('\n')) {
            if (current != std::vector<int>(3, 0)) {
                for (int k = 0; k < 3; ++k)
                    counts[size_t(k)].push_back(current[size_t(k)]);
                ++line;
            }
            current.assign(3, 0);
            continue;
        }
        for (int k = 0; k < 3; ++k)
            if (c == QLatin1Char(candidates[k]))
                ++current[size_t(k)];
    }
    if (current != std::vector<int>(3, 0))
        for (int k = 0; k < 3; ++k)
            counts[size_t(k)].push_back(current[size_t(k)]);
    int best = 0;
    int bestScore = -1;
    for (int k = 0; k < 3; ++k) {
        const std::vector<int> &c = counts[size_t(k)];
        if (c.empty())
            continue;
        const int least = *std::min_element(c.begin(), c.end());
        const bool even = std::all_of(c.begin(), c.end(), [&](int n) { return n == c.front(); });
        const int score = least == 0 ? 0 : least * 2 + (even ? 1 : 0);
        if (score > bestScore) {
            best = k;
            bestScore = score;
        }
    }
    return candidates[best];
}

SheetTable CsvReader::parse(const QByteArray &bytes, const ReadProgress &progress)
{
    const QString text = decode(bytes);
    const char separator = separatorOf(text);
    const QByteArray utf8 = markEmptyLines(text, QLatin1Char(separator)).toUtf8();

    SheetTable table;
    Collector collector{&table, {}};
    csv_parser parser;
    if (csv_init(&parser, 0) != 0)
        throw Error(QStringLiteral("Не хватает памяти для чтения файла"));
    csv_set_delim(&parser, static_cast<unsigned char>(separator));
    for (qsizetype at = 0; at < utf8.size(); at += ChunkBytes) {
        const size_t length = size_t(std::min<qsizetype>(ChunkBytes, utf8.size() - at));
        if (csv_parse(&parser, utf8.constData() + at, length, addField, endRow, &collector) !=
            length) {
            const QString why = QString::fromUtf8(csv_strerror(csv_error(&parser)));
            csv_free(&parser);
            throw Error(QStringLiteral("Файл не читается как CSV: %1").arg(why));
        }
        if (progress && !progress(int(100 * (at + qsizetype(length)) / utf8.size()))) {
            csv_free(&parser);
            return table;
        }
    }
    csv_fini(&parser, addField, endRow, &collector);
    csv_free(&parser);
    // The last line's break leaves no empty line behind it.
    while (!table.rows.empty() && table.rows.back().isEmpty())
        table.rows.pop_back();
    return table;
}

SheetTable CsvReader::read(const QString &path, const ReadProgress &progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Не удаётся открыть файл «%1»: %2")
                        .arg(QDir::toNativeSeparators(path), file.errorString()));
    return parse(file.readAll(), progress);
}
