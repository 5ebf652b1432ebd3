#pragma once

#include <QByteArray>
#include <QObject>

// AES (128, 192 or 256-bit keys) in ECB, CBC, CFB (128-bit feedback) or OFB
// mode, with zero, PKCS#7 or ISO (0x80 then zeros) padding, chosen when the
// cipher is made. The phone token uses AES-128, ECB, PKCS#7.
class AesCipher : public QObject
{
    Q_OBJECT
public:
    enum Level { AES_128 = 0, AES_192 = 1, AES_256 = 2 };
    enum Mode { ECB = 0, CBC = 1, CFB = 2, OFB = 3 };
    enum Padding { ZERO = 0, PKCS7 = 1, ISO = 2 };

    // A level outside the table means AES-128; a padding outside it means zero bytes.
    explicit AesCipher(int level = AES_128, int mode = ECB, int padding = PKCS7,
                       QObject *parent = nullptr);

    // The padded plain text encrypted; always a multiple of 16 bytes. Empty
    // for an unknown mode, a key of the wrong length, or (outside ECB) an
    // initialisation vector that is not 16 bytes.
    QByteArray encode(const QByteArray &plain, const QByteArray &key,
                      const QByteArray &iv = QByteArray()) const;
    // The cipher text decrypted, padding left in place. Empty on the same
    // faults as encode(), and for input that is not whole blocks.
    QByteArray decode(const QByteArray &cipher, const QByteArray &key,
                      const QByteArray &iv = QByteArray()) const;
    // The key schedule: 16 * (Nr + 1) bytes, or empty for a key of the wrong length.
    QByteArray expandKey(const QByteArray &key) const;

    int keyLength() const { return m_keyLength; }

private:
    static constexpr int kBlockWords = 4;
    static constexpr int kBlockLength = 16;

    bool argumentsFit(const QByteArray &key, const QByteArray &iv) const;
    QByteArray padded(const QByteArray &plain) const;
    void encryptBlock(quint8 *state, const quint8 *roundKeys) const;
    void decryptBlock(quint8 *state, const quint8 *roundKeys) const;
    void addRoundKey(quint8 *state, const quint8 *roundKeys, int round) const;

    int m_level;
    int m_mode;
    int m_padding;
    int m_keyWords;
    int m_keyLength;
    int m_rounds;
};
