#pragma once

#include <QtGlobal>

// The RC4 stream cipher: Jet hides the header page's settings with it and
// encodes the pages of an encrypted database.
class JetRc4
{
public:
    JetRc4(const unsigned char *key, int keyLength);
    // XORs `length` bytes at `data` with the key stream, in place; the same
    // call decodes what it encoded.
    void apply(char *data, int length);

private:
    quint8 m_state[256];
    quint8 m_i = 0;
    quint8 m_j = 0;
};
