#include "PageFile.h"

#include "recordset/Error.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <array>
#include <cstring>

namespace {

// Coordinates beyond a hundred metres are no page of ours.
constexpr qint32 MaxCoordinate = 1000000;
constexpr quint32 MaxPictureSide = 30000;
// Beyond these a font or a rule would take the painter ages, and no report has them.
constexpr int MaxPointSize = 500;
constexpr int MaxRuleWidth = 1000; // tenths of a point
constexpr qsizetype MaxBarModules = 2000;

bool hasBars(const ReportPages &pages)
{
    for (const ReportPage &page : pages.pages)
        for (const PageItem &item : page.items)
            if (item.kind == PageItem::Kind::Bars)
                return true;
    return false;
}

bool barPattern(const QString &modules)
{
    if (modules.size() > MaxBarModules)
        return false;
    for (const QChar c : modules)
        if (c != QLatin1Char('0') && c != QLatin1Char('1') && c != QLatin1Char('2'))
            return false;
    return true;
}

} // namespace

quint32 PageFile::crc32(const char *data, qint64 size)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xffffffffu;
    for (qint64 i = 0; i < size; ++i)
        crc = table[(crc ^ quint8(data[i])) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

namespace {

Error damaged()
{
    return Error(QStringLiteral("Файл отчёта повреждён"));
}

class Writer
{
public:
    template <typename T> void put(T value)
    {
        char bytes[sizeof(T)];
        qToLittleEndian(value, bytes);
        out.append(bytes, sizeof(T));
    }
    void rect(const QRect &r)
    {
        put<qint32>(r.x());
        put<qint32>(r.y());
        put<qint32>(r.width());
        put<qint32>(r.height());
    }
    void string(const QString &text)
    {
        const QByteArray utf8 = text.toUtf8();
        put<quint32>(quint32(utf8.size()));
        out.append(utf8);
    }

    QByteArray out;
};

class Reader
{
public:
    Reader(const char *data, qint64 size) : data_(data), left_(size) {}

    qint64 left() const { return left_; }

    template <typename T> T get()
    {
        need(sizeof(T));
        const T value = qFromLittleEndian<T>(data_);
        skip(sizeof(T));
        return value;
    }
    qint32 coordinate()
    {
        const qint32 value = get<qint32>();
        if (value < -MaxCoordinate || value > MaxCoordinate)
            throw damaged();
        return value;
    }
    QRect rect()
    {
        const int x = coordinate();
        const int y = coordinate();
        const int w = coordinate();
        const int h = coordinate();
        return QRect(x, y, w, h);
    }
    QString string()
    {
        const quint32 size = get<quint32>();
        need(size);
        const QString text = QString::fromUtf8(data_, qsizetype(size));
        skip(size);
        return text;
    }
    // A count of things each at least `minimumSize` bytes long, checked
    // against the input left, so that no damaged count allocates.
    quint32 count(qint64 minimumSize)
    {
        const quint32 n = get<quint32>();
        if (qint64(n) * minimumSize > left_)
            throw damaged();
        return n;
    }
    void pixels(std::vector<quint32> &argb, qint64 n)
    {
        need(n * 4);
        argb.resize(size_t(n));
        for (qint64 i = 0; i < n; ++i)
            argb[size_t(i)] = qFromLittleEndian<quint32>(data_ + i * 4);
        skip(n * 4);
    }

private:
    void need(qint64 size) const
    {
        if (size > left_)
            throw damaged();
    }
    void skip(qint64 size)
    {
        data_ += size;
        left_ -= size;
    }

    const char *data_;
    qint64 left_;
};

void writeBody(Writer &w, const ReportPages &pages)
{
    w.string(pages.title);
    w.put<qint32>(pages.pageWidth);
    w.put<qint32>(pages.pageHeight);
    w.put<quint32>(quint32(pages.fonts.size()));
    for (const ReportFont &font : pages.fonts) {
        w.string(font.family);
        w.put<quint16>(quint16(font.pointSize));
        w.put<quint8>(quint8((font.bold ? 1 : 0) | (font.colour ? 2 : 0)));
        w.put<quint32>(font.colour.value_or(0));
    }
    w.put<quint32>(quint32(pages.pictures.size()));
    for (const Picture &picture : pages.pictures) {
        w.put<quint32>(quint32(picture.width));
        w.put<quint32>(quint32(picture.height));
        for (const quint32 pixel : picture.argb)
            w.put<quint32>(pixel);
    }
    w.put<quint32>(quint32(pages.pages.size()));
    for (const ReportPage &page : pages.pages) {
        w.put<quint32>(quint32(page.items.size()));
        for (const PageItem &item : page.items) {
            w.put<quint8>(quint8(item.kind));
            w.rect(item.rect);
            switch (item.kind) {
            case PageItem::Kind::Fill:
                w.put<quint32>(item.colour);
                break;
            case PageItem::Kind::Rule:
                w.put<quint32>(item.colour);
                w.put<qint16>(item.ruleWidth);
                break;
            case PageItem::Kind::Text:
                w.put<qint16>(item.font);
                w.string(item.text);
                break;
            case PageItem::Kind::Picture:
                w.put<qint32>(item.picture);
                w.rect(item.clip);
                break;
            case PageItem::Kind::Bars:
                w.put<qint16>(item.ruleWidth);
                w.string(item.text);
                break;
            }
        }
    }
}

// The smallest encodings, for the count checks.
constexpr qint64 MinFontSize = 4 + 2 + 1 + 4;
constexpr qint64 MinPictureSize = 4 + 4 + 4;
constexpr qint64 MinPageSize = 4;
constexpr qint64 MinItemSize = 1 + 16 + 4;

PageItem readItem(Reader &r, const ReportPages &pages, quint32 version)
{
    PageItem item;
    const quint8 kind = r.get<quint8>();
    const auto last = version >= 2 ? PageItem::Kind::Bars : PageItem::Kind::Picture;
    if (kind > quint8(last))
        throw damaged();
    item.kind = PageItem::Kind(kind);
    item.rect = r.rect();
    switch (item.kind) {
    case PageItem::Kind::Fill:
        item.colour = r.get<quint32>();
        break;
    case PageItem::Kind::Rule:
        item.colour = r.get<quint32>();
        item.ruleWidth = r.get<qint16>();
        if (item.ruleWidth < 0 || item.ruleWidth > MaxRuleWidth)
            throw damaged();
        break;
    case PageItem::Kind::Text:
        item.font = r.get<qint16>();
        if (item.font < 0 || size_t(item.font) >= pages.fonts.size())
            throw damaged();
        item.text = r.string();
        break;
    case PageItem::Kind::Picture:
        item.picture = r.get<qint32>();
        if (item.picture < 0 || size_t(item.picture) >= pages.pictures.size())
            throw damaged();
        item.clip = r.rect();
        break;
    case PageItem::Kind::Bars:
        item.ruleWidth = r.get<qint16>();
        item.text = r.string();
        if (item.ruleWidth < 0 || item.ruleWidth > item.rect.height() || !barPattern(item.text))
            throw damaged();
        break;
    }
    return item;
}

ReportPages readBody(Reader &r, quint32 version)
{
    ReportPages pages;
    pages.title = r.string();
    pages.pageWidth = r.coordinate();
    pages.pageHeight = r.coordinate();
    if (pages.pageWidth <= 0 || pages.pageHeight <= 0)
        throw damaged();
    const quint32 fonts = r.count(MinFontSize);
    for (quint32 i = 0; i < fonts; ++i) {
        ReportFont font;
        font.family = r.string();
        font.pointSize = r.get<quint16>();
        const quint8 flags = r.get<quint8>();
        const quint32 colour = r.get<quint32>();
        if (font.pointSize <= 0 || font.pointSize > MaxPointSize || flags > 3)
            throw damaged();
        font.bold = flags & 1;
        if (flags & 2)
            font.colour = colour;
        pages.fonts.push_back(font);
    }
    const quint32 pictures = r.count(MinPictureSize);
    for (quint32 i = 0; i < pictures; ++i) {
        Picture picture;
        const quint32 width = r.get<quint32>();
        const quint32 height = r.get<quint32>();
        if (width == 0 || height == 0 || width > MaxPictureSide || height > MaxPictureSide)
            throw damaged();
        picture.width = int(width);
        picture.height = int(height);
        r.pixels(picture.argb, qint64(picture.width) * picture.height);
        pages.pictures.push_back(std::move(picture));
    }
    const quint32 count = r.count(MinPageSize);
    pages.pages.reserve(count);
    for (quint32 p = 0; p < count; ++p) {
        ReportPage page;
        const quint32 items = r.count(MinItemSize);
        page.items.reserve(items);
        for (quint32 i = 0; i < items; ++i)
            page.items.push_back(readItem(r, pages, version));
        pages.pages.push_back(std::move(page));
    }
    if (r.left() != 0)
        throw damaged();
    return pages;
}

} // namespace

QByteArray PageFile::encode(const ReportPages &pages)
{
    Writer body;
    writeBody(body, pages);
    Writer file;
    file.out.append(Magic, sizeof Magic);
    file.put<quint32>(hasBars(pages) ? Version : FirstVersion);
    file.put<quint64>(quint64(body.out.size()));
    file.put<quint32>(PageFile::crc32(body.out.constData(), body.out.size()));
    file.out.append(body.out);
    return file.out;
}

ReportPages PageFile::decode(const QByteArray &bytes)
{
    if (bytes.size() < HeaderSize || std::memcmp(bytes.constData(), Magic, sizeof Magic) != 0)
        throw Error(QStringLiteral("Это не файл отчёта"));
    Reader header(bytes.constData() + sizeof Magic, HeaderSize - qint64(sizeof Magic));
    const quint32 version = header.get<quint32>();
    if (version < FirstVersion || version > Version)
        throw Error(QStringLiteral("Файл отчёта записан в версии формата %1, а программа читает "
                                   "только версии с %2 по %3")
                        .arg(version)
                        .arg(FirstVersion)
                        .arg(Version));
    const quint64 length = header.get<quint64>();
    const quint32 crc = header.get<quint32>();
    const char *body = bytes.constData() + HeaderSize;
    const qint64 size = bytes.size() - HeaderSize;
    if (length != quint64(size) || crc32(body, size) != crc)
        throw damaged();
    Reader reader(body, size);
    return readBody(reader, version);
}

void PageFile::save(const ReportPages &pages, const QString &fileName)
{
    QSaveFile file(fileName);
    const QByteArray bytes = encode(pages);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Error(QStringLiteral("Не удалось сохранить отчёт в файл «%1»: %2")
                        .arg(fileName, file.errorString()));
}

ReportPages PageFile::load(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("Не удалось открыть файл «%1»: %2").arg(fileName, file.errorString()));
    if (file.isSequential())
        throw Error(QStringLiteral("«%1» не является файлом отчёта").arg(fileName));
    if (file.size() > MaxFileSize)
        throw Error(QStringLiteral("Файл «%1» слишком велик для файла отчёта").arg(fileName));
    const QByteArray bytes = file.read(file.size());
    if (bytes.size() != file.size())
        throw Error(
            QStringLiteral("Не удалось прочитать файл «%1»: %2").arg(fileName, file.errorString()));
    try {
        return decode(bytes);
    } catch (const Error &error) {
        throw Error(QStringLiteral("Не удалось загрузить отчёт из файла «%1».\n%2")
                        .arg(fileName, error.message()));
    }
}
