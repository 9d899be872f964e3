#include "XlsxReader.h"

#include "recordset/Error.h"

#include "ZipEntry.h"
#include <QDir>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <map>

namespace {

const QString kWorkbook = QStringLiteral("xl/workbook.xml");
const QString kWorkbookRelations = QStringLiteral("xl/_rels/workbook.xml.rels");
const QString kSharedStrings = QStringLiteral("xl/sharedStrings.xml");

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The text of a string item: plain, or the runs of a formatted one, without
// the phonetic hints.
QString itemText(QXmlStreamReader &xml)
{
    const QStringView end = xml.name();
    QString text;
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("rPh"))
                ++phonetic;
            else if (xml.name() == QLatin1String("t") && phonetic == 0)
                text += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("rPh"))
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return text;
}

} // namespace

XlsxReader::XlsxReader(const QString &path) : path_(path)
{
    const QByteArray workbook = entry(kWorkbook);
    const QByteArray relations = entry(kWorkbookRelations);
    std::map<QString, QString> targets; // relation id → part
    QXmlStreamReader rels(relations);
    while (!rels.atEnd()) {
        rels.readNext();
        if (!rels.isStartElement() || rels.name() != QLatin1String("Relationship"))
            continue;
        const QString target = rels.attributes().value(QLatin1String("Target")).toString();
        targets[rels.attributes().value(QLatin1String("Id")).toString()] =
            target.startsWith(QLatin1Char('/')) ? target.mid(1) : QStringLiteral("xl/") + target;
    }
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("sheet"))
            continue;
        Sheet sheet;
        sheet.name = xml.attributes().value(QLatin1String("name")).toString();
        QString id;
        for (const QXmlStreamAttribute &attribute : xml.attributes())
            if (attribute.name() == QLatin1String("id"))
                id = attribute.value().toString();
        const auto target = targets.find(id);
        sheet.part = target != targets.end()
                         ? target->second
                         : QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheets_.size() + 1);
        sheets_.push_back(sheet);
    }
    if (sheets_.empty())
        throw Error(QStringLiteral("В книге «%1» нет ни одного листа").arg(shown(path)));
}

QByteArray XlsxReader::entry(const QString &name) const
{
    ZipEntry part(path_, name);
    if (!part.exists())
        throw Error(QStringLiteral("Файл «%1» не является книгой Excel (.xlsx): в нём нет «%2»")
                        .arg(shown(path_), name));
    return part.readAll();
}

QStringList XlsxReader::sheetNames() const
{
    QStringList names;
    for (const Sheet &sheet : sheets_)
        names << sheet.name;
    return names;
}

std::vector<QString> XlsxReader::sharedStrings() const
{
    std::vector<QString> strings;
    ZipEntry part(path_, kSharedStrings);
    if (!part.exists())
        return strings; // a workbook of numbers only
    QXmlStreamReader xml(&part);
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si"))
            strings.push_back(itemText(xml));
    }
    return strings;
}

int XlsxReader::columnOf(const QString &reference)
{
    int column = 0;
    for (const QChar c : reference) {
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        column = column * 26 + (c.unicode() - 'A' + 1);
    }
    return column - 1;
}

SheetTable XlsxReader::read(int sheet, const ReadProgress &progress) const
{
    if (sheet < 0 || sheet >= int(sheets_.size()))
        throw Error(
            QStringLiteral("В книге «%1» нет листа номер %2").arg(shown(path_)).arg(sheet + 1));
    const std::vector<QString> strings = sharedStrings();
    ZipEntry part(path_, sheets_[size_t(sheet)].part);
    if (!part.exists())
        throw Error(QStringLiteral("В книге «%1» нет листа «%2»")
                        .arg(shown(path_), sheets_[size_t(sheet)].name));
    SheetTable table;
    QXmlStreamReader xml(&part);
    QStringList *row = nullptr;
    int nextColumn = 0;
    qint64 reported = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("row")) {
            // Rows name their number; the ones left out are empty lines.
            const int number = xml.attributes().value(QLatin1String("r")).toInt();
            while (number > 0 && int(table.rows.size()) < number - 1)
                table.rows.emplace_back();
            table.rows.emplace_back();
            row = &table.rows.back();
            nextColumn = 0;
            if (progress && part.pos() - reported > 256 * 1024) {
                reported = part.pos();
                if (!progress(int(100 * reported / std::max<qint64>(1, part.uncompressedSize()))))
                    return table;
            }
        } else if (xml.name() == QLatin1String("c") && row) {
            const QXmlStreamAttributes attributes = xml.attributes();
            const QString reference = attributes.value(QLatin1String("r")).toString();
            const int column = reference.isEmpty() ? nextColumn : columnOf(reference);
            const QString type = attributes.value(QLatin1String("t")).toString();
            QString value;
            // The cell's value: <v>, or the inline text in <is>.
            while (!xml.atEnd()) {
                xml.readNext();
                if (xml.isStartElement() && xml.name() == QLatin1String("v"))
                    value = xml.readElementText();
                else if (xml.isStartElement() && xml.name() == QLatin1String("is"))
                    value = itemText(xml);
                else if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                    break;
            }
            if (type == QLatin1String("s")) {
                const int index = value.toInt();
                value =
                    index >= 0 && index < int(strings.size()) ? strings[size_t(index)] : QString();
            } else if (type == QLatin1String("b")) {
                value =
                    value == QLatin1String("1") ? QStringLiteral("ИСТИНА") : QStringLiteral("ЛОЖЬ");
            }
            if (column >= 0 && column < 16384) {
                while (row->size() <= column)
                    row->append(QString());
                (*row)[column] = value;
                nextColumn = column + 1;
            }
        }
    }
    if (xml.hasError())
        throw Error(
            QStringLiteral("Книга «%1» повреждена: %2").arg(shown(path_), xml.errorString()));
    if (progress)
        progress(100);
    return table;
}
