#include "core/aescipher.h"

#include <array>

namespace {

quint8 xtime(quint8 b)
{
    return quint8((b << 1) ^ ((b & 0x80) ? 0x1b : 0x00));
}

quint8 multiply(quint8 a, quint8 b)
{
    quint8 product = 0;
    while (b) {
        if (b & 1)
            product ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return product;
}

quint8 rotateLeft(quint8 b, int n)
{
    return quint8((b << n) | (b >> (8 - n)));
}

// The FIPS-197 substitution tables, derived once from their definition
// (multiplicative inverse in GF(2^8) followed by the affine transformation)
// rather than typed in, so that no table entry can be mistyped.
struct SubstitutionTables
{
    std::array<quint8, 256> forward {};
    std::array<quint8, 256> inverse {};

    SubstitutionTables()
    {
        // Powers of the generator 3 visit every non-zero element once.
        std::array<quint8, 256> power {};
        std::array<quint8, 256> logarithm {};
        quint8 x = 1;
        for (int i = 0; i < 255; ++i) {
            power[i] = x;
            logarithm[x] = quint8(i);
            x = multiply(x, 3);
        }
        for (int b = 0; b < 256; ++b) {
            const quint8 inv = b == 0 ? 0 : power[(255 - logarithm[b]) % 255];
            const quint8 s = inv ^ rotateLeft(inv, 1) ^ rotateLeft(inv, 2) ^ rotateLeft(inv, 3)
                ^ rotateLeft(inv, 4) ^ 0x63;
            forward[b] = s;
            inverse[s] = quint8(b);
        }
    }
};

const SubstitutionTables &tables()
{
    static const SubstitutionTables instance;
    return instance;
}

void subBytes(quint8 *state)
{
    const auto &sbox = tables().forward;
    for (int i = 0; i < 16; ++i)
        state[i] = sbox[state[i]];
}

void invSubBytes(quint8 *state)
{
    const auto &inverse = tables().inverse;
    for (int i = 0; i < 16; ++i)
        state[i] = inverse[state[i]];
}

// Byte k of the block is row k % 4 of column k / 4; row r turns left by r columns.
void shiftRows(quint8 *state)
{
    quint8 copy[16];
    std::copy(state, state + 16, copy);
    for (int column = 0; column < 4; ++column)
        for (int row = 1; row < 4; ++row)
            state[column * 4 + row] = copy[((column + row) % 4) * 4 + row];
}

void invShiftRows(quint8 *state)
{
    quint8 copy[16];
    std::copy(state, state + 16, copy);
    for (int column = 0; column < 4; ++column)
        for (int row = 1; row < 4; ++row)
            state[((column + row) % 4) * 4 + row] = copy[column * 4 + row];
}

void mixColumns(quint8 *state)
{
    for (int column = 0; column < 4; ++column) {
        quint8 *c = state + column * 4;
        const quint8 a0 = c[0], a1 = c[1], a2 = c[2], a3 = c[3];
        c[0] = quint8(xtime(a0) ^ (xtime(a1) ^ a1) ^ a2 ^ a3);
        c[1] = quint8(a0 ^ xtime(a1) ^ (xtime(a2) ^ a2) ^ a3);
        c[2] = quint8(a0 ^ a1 ^ xtime(a2) ^ (xtime(a3) ^ a3));
        c[3] = quint8((xtime(a0) ^ a0) ^ a1 ^ a2 ^ xtime(a3));
    }
}

void invMixColumns(quint8 *state)
{
    for (int column = 0; column < 4; ++column) {
        quint8 *c = state + column * 4;
        const quint8 a0 = c[0], a1 = c[1], a2 = c[2], a3 = c[3];
        c[0] = multiply(a0, 0x0e) ^ multiply(a1, 0x0b) ^ multiply(a2, 0x0d) ^ multiply(a3, 0x09);
        c[1] = multiply(a0, 0x09) ^ multiply(a1, 0x0e) ^ multiply(a2, 0x0b) ^ multiply(a3, 0x0d);
        c[2] = multiply(a0, 0x0d) ^ multiply(a1, 0x09) ^ multiply(a2, 0x0e) ^ multiply(a3, 0x0b);
        c[3] = multiply(a0, 0x0b) ^ multiply(a1, 0x0d) ^ multiply(a2, 0x09) ^ multiply(a3, 0x0e);
    }
}

void xorInto(quint8 *target, const quint8 *source)
{
    for (int i = 0; i < 16; ++i)
        target[i] ^= source[i];
}

quint8 *bytes(QByteArray &array)
{
    return reinterpret_cast<quint8 *>(array.data());
}

const quint8 *bytes(const QByteArray &array)
{
    return reinterpret_cast<const quint8 *>(array.constData());
}

} // namespace

AesCipher::AesCipher(int level, int mode, int padding, QObject *parent)
    : QObject(parent)
    , m_level(level)
    , m_mode(mode)
    , m_padding(padding)
{
    switch (level) {
    case AES_192:
        m_keyWords = 6;
        m_rounds = 12;
        break;
    case AES_256:
        m_keyWords = 8;
        m_rounds = 14;
        break;
    default:
        m_level = AES_128;
        m_keyWords = 4;
        m_rounds = 10;
        break;
    }
    m_keyLength = m_keyWords * 4;
}

QByteArray AesCipher::expandKey(const QByteArray &key) const
{
    if (key.size() != m_keyLength)
        return QByteArray();
    const auto &sbox = tables().forward;
    const int totalWords = kBlockWords * (m_rounds + 1);
    QByteArray expanded(totalWords * 4, '\0');
    quint8 *w = bytes(expanded);
    std::copy(bytes(key), bytes(key) + m_keyLength, w);

    quint8 roundConstant = 0x01;
    for (int i = m_keyWords; i < totalWords; ++i) {
        quint8 temp[4] = {w[(i - 1) * 4], w[(i - 1) * 4 + 1], w[(i - 1) * 4 + 2], w[(i - 1) * 4 + 3]};
        if (i % m_keyWords == 0) {
            const quint8 first = temp[0];
            temp[0] = quint8(sbox[temp[1]] ^ roundConstant);
            temp[1] = sbox[temp[2]];
            temp[2] = sbox[temp[3]];
            temp[3] = sbox[first];
            roundConstant = xtime(roundConstant);
        } else if (m_keyWords > 6 && i % m_keyWords == 4) {
            for (quint8 &b : temp)
                b = sbox[b];
        }
        for (int j = 0; j < 4; ++j)
            w[i * 4 + j] = quint8(w[(i - m_keyWords) * 4 + j] ^ temp[j]);
    }
    return expanded;
}

void AesCipher::addRoundKey(quint8 *state, const quint8 *roundKeys, int round) const
{
    xorInto(state, roundKeys + round * kBlockLength);
}

void AesCipher::encryptBlock(quint8 *state, const quint8 *roundKeys) const
{
    addRoundKey(state, roundKeys, 0);
    for (int round = 1; round < m_rounds; ++round) {
        subBytes(state);
        shiftRows(state);
        mixColumns(state);
        addRoundKey(state, roundKeys, round);
    }
    subBytes(state);
    shiftRows(state);
    addRoundKey(state, roundKeys, m_rounds);
}

void AesCipher::decryptBlock(quint8 *state, const quint8 *roundKeys) const
{
    addRoundKey(state, roundKeys, m_rounds);
    for (int round = m_rounds - 1; round > 0; --round) {
        invShiftRows(state);
        invSubBytes(state);
        addRoundKey(state, roundKeys, round);
        invMixColumns(state);
    }
    invShiftRows(state);
    invSubBytes(state);
    addRoundKey(state, roundKeys, 0);
}

bool AesCipher::argumentsFit(const QByteArray &key, const QByteArray &iv) const
{
    if (m_mode < ECB || m_mode > OFB || key.size() != m_keyLength)
        return false;
    return m_mode == ECB || (!iv.isNull() && iv.size() == kBlockLength);
}

QByteArray AesCipher::padded(const QByteArray &plain) const
{
    QByteArray text = plain;
    int pad = (kBlockLength - plain.size() % kBlockLength) % kBlockLength;
    switch (m_padding) {
    case PKCS7:
        if (pad == 0)
            pad = kBlockLength;
        text.append(pad, char(pad));
        break;
    case ISO:
        if (pad > 0) {
            text.append(char(0x80));
            text.append(pad - 1, '\0');
        }
        break;
    default:
        text.append(pad, '\0');
        break;
    }
    return text;
}

QByteArray AesCipher::encode(const QByteArray &plain, const QByteArray &key,
                             const QByteArray &iv) const
{
    if (!argumentsFit(key, iv))
        return QByteArray();
    const QByteArray roundKeys = expandKey(key);
    const quint8 *k = bytes(roundKeys);
    QByteArray text = padded(plain);
    quint8 *data = bytes(text);
    const int blocks = text.size() / kBlockLength;

    quint8 chain[16] = {};
    if (m_mode != ECB)
        std::copy(bytes(iv), bytes(iv) + kBlockLength, chain);

    for (int b = 0; b < blocks; ++b) {
        quint8 *block = data + b * kBlockLength;
        switch (m_mode) {
        case ECB:
            encryptBlock(block, k);
            break;
        case CBC:
            xorInto(block, chain);
            encryptBlock(block, k);
            std::copy(block, block + kBlockLength, chain);
            break;
        case CFB:
            encryptBlock(chain, k);
            xorInto(block, chain);
            std::copy(block, block + kBlockLength, chain);
            break;
        case OFB:
            encryptBlock(chain, k);
            xorInto(block, chain);
            break;
        }
    }
    return text;
}

QByteArray AesCipher::decode(const QByteArray &cipher, const QByteArray &key,
                             const QByteArray &iv) const
{
    if (!argumentsFit(key, iv) || cipher.size() % kBlockLength != 0)
        return QByteArray();
    const QByteArray roundKeys = expandKey(key);
    const quint8 *k = bytes(roundKeys);
    QByteArray text = cipher;
    quint8 *data = bytes(text);
    const int blocks = text.size() / kBlockLength;

    quint8 chain[16] = {};
    if (m_mode != ECB)
        std::copy(bytes(iv), bytes(iv) + kBlockLength, chain);

    for (int b = 0; b < blocks; ++b) {
        quint8 *block = data + b * kBlockLength;
        quint8 cipherBlock[16];
        std::copy(block, block + kBlockLength, cipherBlock);
        switch (m_mode) {
        case ECB:
            decryptBlock(block, k);
            break;
        case CBC:
            decryptBlock(block, k);
            xorInto(block, chain);
            std::copy(cipherBlock, cipherBlock + kBlockLength, chain);
            break;
        case CFB:
            encryptBlock(chain, k);
            xorInto(block, chain);
            std::copy(cipherBlock, cipherBlock + kBlockLength, chain);
            break;
        case OFB:
            encryptBlock(chain, k);
            xorInto(block, chain);
            break;
        }
    }
    return text;
}
