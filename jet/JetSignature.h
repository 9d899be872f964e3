#pragma once

#include <QByteArray>
#include <QString>

// What kind of file a catalogue file is, told by its first bytes: the
// program's own catalogues are SQLite files; a shop's older catalogue is a
// Jet database (Access 97 or 2000-2003, "Standard Jet DB" at offset 4); a
// file of Access 2007 and later says "Standard ACE DB" there.
class JetSignature
{
public:
    enum class Kind { Other, Jet3, Jet4, Ace };

    static Kind of(const QByteArray &head);
    // Reads the first bytes of `path`; Other when it cannot be read.
    static Kind ofFile(const QString &path);

    // Bytes the signature needs.
    static constexpr int HeadSize = 32;
};
