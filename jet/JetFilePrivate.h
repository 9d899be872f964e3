#pragma once

// What the Jet reader's two classes share: the library's handle and the
// decoding of text. Only jet/*.cpp include this, as glib's headers must come
// before mdbtools' own.
#include <glib.h>
#include <mdbtools.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <iconv.h>
#include <memory>
#include <vector>

struct JetFile::Private
{
    QString path;
    QString name;
    MdbHandle *mdb = nullptr;
    qint64 pageCount = 0;
    QStringList tables;
    QStringList linked;
    // The file's own list of its tables, read by us rather than by the
    // library, whose reading of it can be sent round in circles by damage.
    std::vector<std::unique_ptr<MdbCatalogEntry>> entries;
    // Access 97 keeps text in the code page of the computer it was made on.
    iconv_t codePage = iconv_t(-1);

    ~Private();
    // A text value as stored: Access 2000 keeps UTF-16, whole or in its
    // compressed form; Access 97 keeps bytes of the file's code page.
    QString text(const char *bytes, int size) const;
};
