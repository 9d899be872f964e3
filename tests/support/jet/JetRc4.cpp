#include "JetRc4.h"

#include <utility>

JetRc4::JetRc4(const unsigned char *key, int keyLength)
{
    for (int i = 0; i < 256; ++i)
        m_state[i] = quint8(i);
    quint8 j = 0;
    for (int i = 0; i < 256; ++i) {
        j = quint8(j + m_state[i] + key[i % keyLength]);
        std::swap(m_state[i], m_state[j]);
    }
}

void JetRc4::apply(char *data, int length)
{
    for (int n = 0; n < length; ++n) {
        m_i = quint8(m_i + 1);
        m_j = quint8(m_j + m_state[m_i]);
        std::swap(m_state[m_i], m_state[m_j]);
        data[n] = char(quint8(data[n]) ^ m_state[quint8(m_state[m_i] + m_state[m_j])]);
    }
}
