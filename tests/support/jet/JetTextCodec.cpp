#include "JetTextCodec.h"

#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace {

// iconv's name of a Windows code page number.
QByteArray iconvName(quint16 codePage)
{
    if (codePage == 0)
        return "WINDOWS-1252"; // what readers assume when a file declares none
    if (codePage >= 1250 && codePage <= 1258)
        return "WINDOWS-" + QByteArray::number(codePage);
    if (codePage == 20866)
        return "KOI8-R";
    return "CP" + QByteArray::number(codePage);
}

} // namespace

JetTextCodec::JetTextCodec(JetFilePlan::Version version, quint16 codePage)
    : m_jet3(version == JetFilePlan::Version::Jet3)
{
    if (!m_jet3)
        return;
    const QByteArray name = iconvName(codePage);
    iconv_t cd = iconv_open(name.constData(), "UTF-8");
    if (cd == iconv_t(-1))
        throw std::runtime_error("Jet writer: no converter to code page " + name.toStdString());
    m_iconv = cd;
}

JetTextCodec::~JetTextCodec()
{
    if (m_iconv)
        iconv_close(iconv_t(m_iconv));
}

QByteArray JetTextCodec::encode(const QString &text, JetTextForm form) const
{
    if (m_jet3)
        return codePageBytes(text);
    if (form == JetTextForm::Compressed) {
        const QByteArray shorter = compressed(text);
        if (!shorter.isEmpty())
            return shorter;
    }
    return ucs2(text);
}

QByteArray JetTextCodec::encodeName(const QString &text) const
{
    return m_jet3 ? codePageBytes(text) : ucs2(text);
}

QByteArray JetTextCodec::ucs2(const QString &text)
{
    QByteArray bytes(text.size() * 2, '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        bytes[2 * i] = char(c & 0xff);
        bytes[2 * i + 1] = char(c >> 8);
    }
    return bytes;
}

QByteArray JetTextCodec::compressed(const QString &text)
{
    // 0xFF 0xFE, then characters under U+0100 as one byte and the others as
    // two, a zero byte switching between the two modes (it starts with one
    // byte a character). A character whose low byte is zero would read as a
    // switch, so text holding one stays in the two-byte form.
    QByteArray bytes("\xff\xfe", 2);
    bool oneByte = true;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if ((c & 0xff) == 0)
            return {};
        const bool narrow = c < 0x100;
        if (narrow != oneByte) {
            bytes.append('\0');
            oneByte = narrow;
        }
        bytes.append(char(c & 0xff));
        if (!narrow)
            bytes.append(char(c >> 8));
    }
    if (bytes.size() >= text.size() * 2)
        return {};
    return bytes;
}

QByteArray JetTextCodec::codePageBytes(const QString &text) const
{
    QByteArray in = text.toUtf8();
    QByteArray out(in.size() + 1, '\0'); // no code page needs more bytes than UTF-8
    char *inPtr = in.data();
    size_t inLeft = size_t(in.size());
    char *outPtr = out.data();
    size_t outLeft = size_t(out.size());
    iconv(iconv_t(m_iconv), nullptr, nullptr, nullptr, nullptr);
    if (iconv(iconv_t(m_iconv), &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1))
        throw std::runtime_error("Jet writer: the code page cannot hold \"" + text.toStdString() +
                                 '"');
    out.truncate(out.size() - qsizetype(outLeft));
    return out;
}
