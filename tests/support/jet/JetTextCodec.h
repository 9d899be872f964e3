#pragma once

#include "JetTestWriter.h"

// Text as a Jet file keeps it: Jet 4 in UCS-2, or in its compressed form
// where that is shorter; Jet 3 one byte a character in the file's code page.
class JetTextCodec
{
public:
    JetTextCodec(JetFilePlan::Version version, quint16 codePage);
    ~JetTextCodec();
    JetTextCodec(const JetTextCodec &) = delete;
    JetTextCodec &operator=(const JetTextCodec &) = delete;

    // A value of a Text or Memo column. Throws for a character the code page lacks.
    QByteArray encode(const QString &text, JetTextForm form) const;
    // A name in a table definition or the header: never compressed.
    QByteArray encodeName(const QString &text) const;

    static QByteArray ucs2(const QString &text);
    // The compressed form, or an empty array when it would not be shorter or
    // cannot hold the text.
    static QByteArray compressed(const QString &text);

private:
    QByteArray codePageBytes(const QString &text) const;

    bool m_jet3;
    void *m_iconv = nullptr;
};
