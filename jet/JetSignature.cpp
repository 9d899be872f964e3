#include "JetSignature.h"

#include <QFile>

namespace {

constexpr int SignatureOffset = 4;
constexpr int VersionOffset = 0x14;
constexpr const char kJetSignature[] = "Standard Jet DB";
constexpr const char kAceSignature[] = "Standard ACE DB";

bool hasAt(const QByteArray &head, const char *text)
{
    return head.mid(SignatureOffset, int(qstrlen(text))) == QByteArray(text);
}

} // namespace

JetSignature::Kind JetSignature::of(const QByteArray &head)
{
    // The first page of a database file always starts with a zero page type.
    if (head.size() <= VersionOffset || head.at(0) != 0)
        return Kind::Other;
    if (hasAt(head, kAceSignature))
        return Kind::Ace;
    if (!hasAt(head, kJetSignature))
        return Kind::Other;
    switch (quint8(head.at(VersionOffset))) {
    case 0:
        return Kind::Jet3;
    case 1:
        return Kind::Jet4;
    default:
        // Versions 2 and up are the formats of Access 2007 and later.
        return Kind::Ace;
    }
}

JetSignature::Kind JetSignature::ofFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Kind::Other;
    return of(file.read(HeadSize));
}
