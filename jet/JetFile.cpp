#include "JetFile.h"

#include "JetFilePrivate.h"
#include "JetSignature.h"
#include "JetTable.h"
#include "recordset/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

// Where the header keeps the password and the date the file was made.
enum HeaderPlace { PasswordOffset = 0x42, CreationDateOffset = 0x72 };
enum PasswordSize { Jet3PasswordSize = 20, Jet4PasswordSize = 40 };
// Object types of the file's own list of objects: a table kept in another
// database file, or reached over ODBC.
enum ObjectType { LinkedTableType = 6, OdbcTableType = 4 };

// The code page Windows used for a locale's text, for an Access 97 file that
// does not declare its own: Cyrillic locales wrote Windows-1251.
quint16 codePageOfLocale(int locale)
{
    switch (locale & 0x3ff) {
    case 0x02: // Bulgarian
    case 0x19: // Russian
    case 0x1a: // Serbian
    case 0x22: // Ukrainian
    case 0x23: // Belarusian
    case 0x2f: // Macedonian
    case 0x3f: // Kazakh
    case 0x40: // Kyrgyz
    case 0x43: // Uzbek
    case 0x44: // Tatar
    case 0x50: // Mongolian
        return 1251;
    default:
        return 1252;
    }
}

QByteArray iconvName(quint16 codePage)
{
    if (codePage >= 1250 && codePage <= 1258)
        return "WINDOWS-" + QByteArray::number(codePage);
    switch (codePage) {
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 28595:
        return "ISO-8859-5";
    case 65001:
        return "UTF-8";
    default:
        return codePage < 1000 ? "IBM" + QByteArray::number(codePage)
                               : "CP" + QByteArray::number(codePage);
    }
}

// Access 2000 keeps its database password masked with the file's creation
// date; Access 97 keeps it as it is. No password leaves only zero bytes.
bool hasPassword(const unsigned char *header, bool jet3)
{
    const int size = jet3 ? Jet3PasswordSize : Jet4PasswordSize;
    unsigned char mask[4] = {0, 0, 0, 0};
    if (!jet3) {
        double created = 0;
        std::memcpy(&created, header + CreationDateOffset, sizeof created);
        // A damaged header may hold any bits here: its whole part, saturated.
        const qint32 whole = std::isnan(created)          ? 0
                             : created >= double(INT_MAX) ? INT_MAX
                             : created <= double(INT_MIN) ? INT_MIN
                                                          : qint32(created);
        for (int i = 0; i < 4; ++i)
            mask[i] = quint8(quint32(whole) >> (8 * i));
    }
    for (int i = 0; i < size; ++i)
        if ((header[PasswordOffset + i] ^ mask[i % 4]) != 0)
            return true;
    return false;
}

QString aceRefusal(const QString &name)
{
    return QStringLiteral("Файл «%1» — база данных Access 2007 или более новой версии (формат "
                          "ACCDB). Программа переносит каталоги только из файлов Access 97 и "
                          "Access 2000–2003. Сохраните базу данных в формате «Access 2002-2003 "
                          "(*.mdb)» и повторите перенос.")
        .arg(name);
}

} // namespace

JetFile::Private::~Private()
{
    if (codePage != iconv_t(-1))
        iconv_close(codePage);
    if (mdb)
        mdb_close(mdb);
}

QString JetFile::Private::text(const char *bytes, int size) const
{
    if (size <= 0)
        return QString();
    if (codePage != iconv_t(-1)) {
        QByteArray utf16(size * 4 + 4, Qt::Uninitialized);
        char *in = const_cast<char *>(bytes);
        size_t inLeft = size_t(size);
        char *out = utf16.data();
        size_t outLeft = size_t(utf16.size());
        iconv(codePage, nullptr, nullptr, nullptr, nullptr);
        while (inLeft > 0) {
            if (iconv(codePage, &in, &inLeft, &out, &outLeft) != size_t(-1))
                break;
            if (errno == E2BIG)
                break;
            // A byte the code page leaves undefined: the replacement
            // character shows where it was, nothing is dropped silently.
            const char16_t replacement = 0xfffd;
            std::memcpy(out, &replacement, 2);
            out += 2;
            outLeft -= 2;
            ++in;
            --inLeft;
        }
        return QString::fromUtf16(reinterpret_cast<const char16_t *>(utf16.constData()),
                                  (utf16.size() - qsizetype(outLeft)) / 2);
    }
    // Access 2000: UTF-16, or after FF FE its compressed form, in which a
    // zero byte switches between one-byte characters (the high byte zero)
    // and two-byte ones. The library's own conversion goes through UCS-2 and
    // loses characters outside its plane, so it is decoded here.
    const auto *in = reinterpret_cast<const unsigned char *>(bytes);
    QString result;
    if (size >= 2 && in[0] == 0xff && in[1] == 0xfe) {
        result.reserve(size);
        bool compressed = true;
        for (int i = 2; i < size;) {
            if (in[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                result.append(QChar(char16_t(in[i])));
                ++i;
            } else if (i + 1 < size) {
                result.append(QChar(char16_t(in[i] | (in[i + 1] << 8))));
                i += 2;
            } else {
                break;
            }
        }
        return result;
    }
    result.resize(size / 2);
    for (int i = 0; i < size / 2; ++i)
        result[i] = QChar(char16_t(in[2 * i] | (in[2 * i + 1] << 8)));
    return result;
}

JetFile::JetFile(const QString &path) : d_(std::make_unique<Private>())
{
    d_->path = path;
    d_->name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.exists())
        throw Error(QStringLiteral("Файл «%1» не найден").arg(d_->name));
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Файл «%1» не удаётся прочитать: нет доступа").arg(d_->name));
    const JetSignature::Kind kind = JetSignature::of(file.read(JetSignature::HeadSize));
    if (kind == JetSignature::Kind::Ace)
        throw Error(aceRefusal(d_->name));
    if (kind == JetSignature::Kind::Other)
        throw Error(
            QStringLiteral("Файл «%1» не является базой данных Access (MDB)").arg(d_->name));
    const qint64 pageSize = kind == JetSignature::Kind::Jet3 ? 2048 : 4096;
    // A copy broken off midway (a full disk, an interrupted copy) ends
    // within a page or lacks the pages that the tables point to.
    if (file.size() % pageSize != 0 || file.size() < 3 * pageSize)
        damaged(QStringLiteral("файл обрезан"));
    d_->pageCount = file.size() / pageSize;
    file.close();

    d_->mdb =
        mdb_open(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData(), MDB_NOFLAGS);
    if (!d_->mdb)
        damaged(QStringLiteral("не читается заголовок"));
    // Right after opening, the page buffer holds the decoded header page.
    if (hasPassword(d_->mdb->pg_buf, isJet3()))
        throw Error(QStringLiteral("База данных «%1» защищена паролем. Снимите пароль в "
                                   "программе, в которой он был задан, и повторите перенос.")
                        .arg(d_->name));
    if (d_->mdb->f->db_key != 0)
        throw Error(QStringLiteral("База данных «%1» зашифрована. Расшифруйте её в программе, в "
                                   "которой она была сделана, и повторите перенос.")
                        .arg(d_->name));
    if (isJet3()) {
        // Decoded by the code page the file declares, never by a guess
        // that would turn Cyrillic into Western letters.
        quint16 codePage = d_->mdb->f->code_page;
        if (codePage == 0)
            codePage = codePageOfLocale(d_->mdb->f->lang_id);
        d_->codePage = iconv_open("UTF-16LE", iconvName(codePage).constData());
        if (d_->codePage == iconv_t(-1))
            throw Error(QStringLiteral("Текст базы данных «%1» записан в кодировке %2, которую "
                                       "программа не знает")
                            .arg(d_->name)
                            .arg(codePage));
    }

    readCatalogue();
}

void JetFile::readCatalogue()
{
    // The list of objects is itself a table, whose definition is always on
    // page 2.
    auto objects = std::make_unique<MdbCatalogEntry>();
    std::memset(objects.get(), 0, sizeof(MdbCatalogEntry));
    objects->mdb = d_->mdb;
    objects->object_type = MDB_TABLE;
    objects->table_pg = 2;
    std::strcpy(objects->object_name, "MSysObjects");
    JetTable list(*this, *d_, objects.get());
    const int id = list.columnIndex(QStringLiteral("Id"));
    const int name = list.columnIndex(QStringLiteral("Name"));
    const int type = list.columnIndex(QStringLiteral("Type"));
    const int flags = list.columnIndex(QStringLiteral("Flags"));
    if (id < 0 || name < 0 || type < 0 || flags < 0)
        damaged(QStringLiteral("не читается список таблиц"));
    while (list.next()) {
        const QString objectName = list.text(name);
        const int objectType = int(list.integer(type) & 0x7f);
        const qint64 objectFlags = list.integer(flags);
        const QByteArray utf8 = objectName.toUtf8();
        if (objectType == MDB_TABLE && (objectFlags & 0x80000002) == 0 &&
            utf8.size() <= MDB_MAX_OBJ_NAME) {
            auto entry = std::make_unique<MdbCatalogEntry>();
            std::memset(entry.get(), 0, sizeof(MdbCatalogEntry));
            entry->mdb = d_->mdb;
            entry->object_type = MDB_TABLE;
            entry->table_pg = quint32(list.integer(id)) & 0x00ffffff;
            std::memcpy(entry->object_name, utf8.constData(), size_t(utf8.size()));
            d_->entries.push_back(std::move(entry));
            d_->tables.append(objectName);
        } else if (objectType == LinkedTableType || objectType == OdbcTableType) {
            d_->linked.append(objectName);
        }
    }
}

JetFile::~JetFile() = default;

const QString &JetFile::name() const
{
    return d_->name;
}

bool JetFile::isJet3() const
{
    return d_->mdb && d_->mdb->f->jet_version == MDB_VER_JET3;
}

const QStringList &JetFile::tables() const
{
    return d_->tables;
}

const QStringList &JetFile::linkedTables() const
{
    return d_->linked;
}

std::unique_ptr<JetTable> JetFile::table(const QString &name)
{
    for (const auto &entry : d_->entries)
        if (QString::fromUtf8(entry->object_name).compare(name, Qt::CaseInsensitive) == 0)
            return std::unique_ptr<JetTable>(new JetTable(*this, *d_, entry.get()));
    return nullptr;
}

void JetFile::damaged(const QString &detail) const
{
    throw Error(QStringLiteral("Файл «%1» повреждён (%2). Восстановите его в программе, в "
                               "которой он был сделан, или возьмите его резервную копию.")
                    .arg(d_->name, detail));
}
