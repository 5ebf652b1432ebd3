#include "core/aescipher.h"

#include <QtTest>

// The cipher against the NIST SP 800-38A examples, and the padding and
// argument rules around it.

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

const char *const kKey128 = "2b7e151628aed2a6abf7158809cf4f3c";
const char *const kKey192 = "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b";
const char *const kKey256 = "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4";
const char *const kVector = "000102030405060708090a0b0c0d0e0f";

} // namespace

class AesCipherTest : public QObject
{
    Q_OBJECT

private slots:
    // Each key length through ECB; the chaining of each mode with AES-128.
    void modesMatchSp80038a_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("cipher");
        const int l128 = AesCipher::AES_128;
        QTest::newRow("F.1.1 ECB-AES128") << l128 << int(AesCipher::ECB) << hex(kKey128)
            << hex("3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
                   "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4");
        QTest::newRow("F.1.3 ECB-AES192") << int(AesCipher::AES_192) << int(AesCipher::ECB) << hex(kKey192)
            << hex("bd334f1d6e45f25ff712a214571fa5cc974104846d0ad3ad7734ecb3ecee4eef"
                   "ef7afd2270e2e60adce0ba2face6444e9a4b41ba738d6c72fb16691603c18e0e");
        QTest::newRow("F.1.5 ECB-AES256") << int(AesCipher::AES_256) << int(AesCipher::ECB) << hex(kKey256)
            << hex("f3eed1bdb5d2a03c064b5a7e3db181f8591ccb10d410ed26dc5ba74a31362870"
                   "b6ed21b99ca6f4f9f153e7b1beafed1d23304b7a39f9f3ff067d8d8f9e24ecc7");
        QTest::newRow("F.2.1 CBC-AES128") << l128 << int(AesCipher::CBC) << hex(kKey128)
            << hex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
                   "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7");
        QTest::newRow("F.3.13 CFB128-AES128") << l128 << int(AesCipher::CFB) << hex(kKey128)
            << hex("3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b"
                   "26751f67a3cbb140b1808cf187a4f4dfc04b05357c5d1c0eeac4c66f9ff7f2e6");
        QTest::newRow("F.4.1 OFB-AES128") << l128 << int(AesCipher::OFB) << hex(kKey128)
            << hex("3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825"
                   "9740051e9c5fecf64344f7a82260edcc304c6528f659c77866a510d9c1d6ae5e");
    }

    void modesMatchSp80038a()
    {
        QFETCH(int, level);
        QFETCH(int, mode);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, cipher);
        const QByteArray plain = hex("6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
                                     "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710");
        // The examples are whole blocks, which zero padding leaves as they are.
        AesCipher aes(level, mode, AesCipher::ZERO);
        QCOMPARE(aes.encode(plain, key, hex(kVector)).toHex(), cipher.toHex());
        QCOMPARE(aes.decode(cipher, key, hex(kVector)).toHex(), plain.toHex());
    }

    void paddingFillsTheLastBlock_data()
    {
        QTest::addColumn<int>("padding");
        QTest::addColumn<int>("inputLength");
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("PKCS#7 on no input") << int(AesCipher::PKCS7) << 0 << QByteArray(16, '\x10');
        QTest::newRow("PKCS#7 after 20 bytes") << int(AesCipher::PKCS7) << 20 << QByteArray(12, '\x0c');
        QTest::newRow("PKCS#7 after 31 bytes") << int(AesCipher::PKCS7) << 31 << QByteArray(1, '\x01');
        QTest::newRow("PKCS#7 after 32 bytes") << int(AesCipher::PKCS7) << 32 << QByteArray(16, '\x10');
        QTest::newRow("zero on no input") << int(AesCipher::ZERO) << 0 << QByteArray();
        QTest::newRow("zero after 20 bytes") << int(AesCipher::ZERO) << 20 << QByteArray(12, '\0');
        QTest::newRow("ISO on no input") << int(AesCipher::ISO) << 0 << QByteArray();
        QTest::newRow("ISO after 20 bytes") << int(AesCipher::ISO) << 20
                                            << QByteArray(1, '\x80') + QByteArray(11, '\0');
        QTest::newRow("ISO after 32 bytes") << int(AesCipher::ISO) << 32 << QByteArray();
        QTest::newRow("unknown padding means zero") << 7 << 20 << QByteArray(12, '\0');
    }

    void paddingFillsTheLastBlock()
    {
        QFETCH(int, padding);
        QFETCH(int, inputLength);
        QFETCH(QByteArray, tail);
        const QByteArray key = hex(kKey256);
        const QByteArray plain(inputLength, 'x');
        // Decoding hands the text back with its padding, in every mode.
        for (int mode : {AesCipher::ECB, AesCipher::CBC, AesCipher::CFB, AesCipher::OFB}) {
            AesCipher aes(AesCipher::AES_256, mode, padding);
            const QByteArray cipher = aes.encode(plain, key, hex(kVector));
            QCOMPARE(cipher.size(), inputLength + tail.size());
            QVERIFY(inputLength == 0 || cipher.left(inputLength) != plain);
            QCOMPARE(aes.decode(cipher, key, hex(kVector)), plain + tail);
        }
    }

    void badArgumentsGiveEmptyResults_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("iv");
        for (int mode : {AesCipher::CBC, AesCipher::CFB, AesCipher::OFB}) {
            const QByteArray name = "mode " + QByteArray::number(mode);
            QTest::newRow(name + ", 15-byte vector") << mode << hex(kKey128) << QByteArray(15, 'v');
            QTest::newRow(name + ", 17-byte vector") << mode << hex(kKey128) << QByteArray(17, 'v');
            QTest::newRow(name + ", no vector") << mode << hex(kKey128) << QByteArray();
        }
        QTest::newRow("unknown mode") << 4 << hex(kKey128) << hex(kVector);
        QTest::newRow("256-bit key for AES-128") << int(AesCipher::ECB) << hex(kKey256) << QByteArray();
        QTest::newRow("short key") << int(AesCipher::ECB) << QByteArray("short") << QByteArray();
    }

    void badArgumentsGiveEmptyResults()
    {
        QFETCH(int, mode);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, iv);
        AesCipher aes(AesCipher::AES_128, mode, AesCipher::PKCS7);
        QCOMPARE(aes.encode("text", key, iv), QByteArray());
        QCOMPARE(aes.decode(QByteArray(16, 'c'), key, iv), QByteArray());
    }

    void ecbIgnoresTheVectorAndUnknownLevelIsAes128()
    {
        AesCipher ecb(AesCipher::AES_128, AesCipher::ECB, AesCipher::PKCS7);
        QCOMPARE(ecb.encode("text", hex(kKey128), QByteArray(3, 'v')), ecb.encode("text", hex(kKey128)));
        // Cipher text that is not whole blocks is refused rather than overrun.
        QCOMPARE(ecb.decode(QByteArray(17, 'c'), hex(kKey128)), QByteArray());

        AesCipher unknown(9, AesCipher::ECB, AesCipher::ZERO);
        QCOMPARE(unknown.keyLength(), 16);
        QCOMPARE(unknown.encode(hex("00112233445566778899aabbccddeeff"), hex("000102030405060708090a0b0c0d0e0f")),
                 hex("69c4e0d86a7b0430d8cdb78070b4c55a"));
    }
};

QTEST_APPLESS_MAIN(AesCipherTest)
#include "tst_aescipher.moc"
