#include "core/aescipher.h"

#include <QtTest>

// The block cipher against the published FIPS-197 and NIST SP 800-38A
// examples, and the padding and argument rules around it.

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text));
}

const char *const kKey128 = "2b7e151628aed2a6abf7158809cf4f3c";
const char *const kKey192 = "8e73b0f7da0e6452c810f32b809079e562f8ead2522c6b7b";
const char *const kKey256 = "603deb1015ca71be2b73aef0857d77811f352c073b6108d72d9810a30914dff4";
const char *const kVector = "000102030405060708090a0b0c0d0e0f";
const char *const kPlain = "6bc1bee22e409f96e93d7e117393172a"
                           "ae2d8a571e03ac9c9eb76fac45af8e51"
                           "30c81c46a35ce411e5fbc1191a0a52ef"
                           "f69f2445df4f9b17ad2b417be66c3710";

} // namespace

class AesCipherTest : public QObject
{
    Q_OBJECT

private slots:

    void blockCipherMatchesFips197_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("cipher");
        QTest::newRow("C.1 AES-128") << int(AesCipher::AES_128) << hex("000102030405060708090a0b0c0d0e0f")
                                     << hex("69c4e0d86a7b0430d8cdb78070b4c55a");
        QTest::newRow("C.2 AES-192") << int(AesCipher::AES_192)
                                     << hex("000102030405060708090a0b0c0d0e0f1011121314151617")
                                     << hex("dda97ca4864cdfe06eaf70a0ec0d7191");
        QTest::newRow("C.3 AES-256")
            << int(AesCipher::AES_256)
            << hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f")
            << hex("8ea2b7ca516745bfeafc49904b496089");
    }

    void blockCipherMatchesFips197()
    {
        QFETCH(int, level);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, cipher);
        const QByteArray plain = hex("00112233445566778899aabbccddeeff");

        AesCipher zeroPadded(level, AesCipher::ECB, AesCipher::ZERO);
        QCOMPARE(zeroPadded.encode(plain, key).toHex(), cipher.toHex());
        QCOMPARE(zeroPadded.decode(cipher, key).toHex(), plain.toHex());

        // Under PKCS#7 a block of sixteen 0x10 bytes follows the aligned block.
        AesCipher pkcs7(level, AesCipher::ECB, AesCipher::PKCS7);
        const QByteArray padded = pkcs7.encode(plain, key);
        QCOMPARE(padded.size(), 32);
        QCOMPARE(padded.left(16).toHex(), cipher.toHex());
        QCOMPARE(padded.mid(16).toHex(), zeroPadded.encode(QByteArray(16, '\x10'), key).toHex());
    }

    void modesMatchSp80038a_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("cipher");

        const int ecb = AesCipher::ECB, cbc = AesCipher::CBC, cfb = AesCipher::CFB, ofb = AesCipher::OFB;
        const int l128 = AesCipher::AES_128, l192 = AesCipher::AES_192, l256 = AesCipher::AES_256;

        QTest::newRow("F.1.1 ECB-AES128") << l128 << ecb << hex(kKey128)
            << hex("3ad77bb40d7a3660a89ecaf32466ef97f5d3d58503b9699de785895a96fdbaaf"
                   "43b1cd7f598ece23881b00e3ed0306887b0c785e27e8ad3f8223207104725dd4");
        QTest::newRow("F.1.3 ECB-AES192") << l192 << ecb << hex(kKey192)
            << hex("bd334f1d6e45f25ff712a214571fa5cc974104846d0ad3ad7734ecb3ecee4eef"
                   "ef7afd2270e2e60adce0ba2face6444e9a4b41ba738d6c72fb16691603c18e0e");
        QTest::newRow("F.1.5 ECB-AES256") << l256 << ecb << hex(kKey256)
            << hex("f3eed1bdb5d2a03c064b5a7e3db181f8591ccb10d410ed26dc5ba74a31362870"
                   "b6ed21b99ca6f4f9f153e7b1beafed1d23304b7a39f9f3ff067d8d8f9e24ecc7");
        QTest::newRow("F.2.1 CBC-AES128") << l128 << cbc << hex(kKey128)
            << hex("7649abac8119b246cee98e9b12e9197d5086cb9b507219ee95db113a917678b2"
                   "73bed6b8e3c1743b7116e69e222295163ff1caa1681fac09120eca307586e1a7");
        QTest::newRow("F.2.3 CBC-AES192") << l192 << cbc << hex(kKey192)
            << hex("4f021db243bc633d7178183a9fa071e8b4d9ada9ad7dedf4e5e738763f69145a"
                   "571b242012fb7ae07fa9baac3df102e008b0e27988598881d920a9e64f5615cd");
        QTest::newRow("F.2.5 CBC-AES256") << l256 << cbc << hex(kKey256)
            << hex("f58c4c04d6e5f1ba779eabfb5f7bfbd69cfc4e967edb808d679f777bc6702c7d"
                   "39f23369a9d9bacfa530e26304231461b2eb05e2c39be9fcda6c19078c6a9d1b");
        QTest::newRow("F.3.13 CFB128-AES128") << l128 << cfb << hex(kKey128)
            << hex("3b3fd92eb72dad20333449f8e83cfb4ac8a64537a0b3a93fcde3cdad9f1ce58b"
                   "26751f67a3cbb140b1808cf187a4f4dfc04b05357c5d1c0eeac4c66f9ff7f2e6");
        QTest::newRow("F.3.15 CFB128-AES192") << l192 << cfb << hex(kKey192)
            << hex("cdc80d6fddf18cab34c25909c99a417467ce7f7f81173621961a2b70171d3d7a"
                   "2e1e8a1dd59b88b1c8e60fed1efac4c9c05f9f9ca9834fa042ae8fba584b09ff");
        QTest::newRow("F.3.17 CFB128-AES256") << l256 << cfb << hex(kKey256)
            << hex("dc7e84bfda79164b7ecd8486985d386039ffed143b28b1c832113c6331e5407b"
                   "df10132415e54b92a13ed0a8267ae2f975a385741ab9cef82031623d55b1e471");
        QTest::newRow("F.4.1 OFB-AES128") << l128 << ofb << hex(kKey128)
            << hex("3b3fd92eb72dad20333449f8e83cfb4a7789508d16918f03f53c52dac54ed825"
                   "9740051e9c5fecf64344f7a82260edcc304c6528f659c77866a510d9c1d6ae5e");
        QTest::newRow("F.4.3 OFB-AES192") << l192 << ofb << hex(kKey192)
            << hex("cdc80d6fddf18cab34c25909c99a4174fcc28b8d4c63837c09e81700c1100401"
                   "8d9a9aeac0f6596f559c6d4daf59a5f26d9f200857ca6c3e9cac524bd9acc92a");
        QTest::newRow("F.4.5 OFB-AES256") << l256 << ofb << hex(kKey256)
            << hex("dc7e84bfda79164b7ecd8486985d38604febdc6740d20b3ac88f6ad82a4fb08d"
                   "71ab47a086e86eedf39d1c5bba97c4080126141d67f37be8538f5a8be740e484");
    }

    void modesMatchSp80038a()
    {
        QFETCH(int, level);
        QFETCH(int, mode);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, cipher);
        const QByteArray plain = hex(kPlain);
        const QByteArray iv = hex(kVector);

        // The examples are whole blocks, which zero padding leaves as they are.
        AesCipher aes(level, mode, AesCipher::ZERO);
        QCOMPARE(aes.encode(plain, key, iv).toHex(), cipher.toHex());
        QCOMPARE(aes.decode(cipher, key, iv).toHex(), plain.toHex());
    }

    void keyScheduleHasOneRoundKeyPerRoundPlusOne_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("lastWord");
        // The last words of the FIPS-197 Appendix A expansions.
        QTest::newRow("A.1 AES-128") << int(AesCipher::AES_128) << hex(kKey128) << 176 << hex("b6630ca6");
        QTest::newRow("A.2 AES-192") << int(AesCipher::AES_192) << hex(kKey192) << 208 << hex("01002202");
        QTest::newRow("A.3 AES-256") << int(AesCipher::AES_256) << hex(kKey256) << 240 << hex("706c631e");
    }

    void keyScheduleHasOneRoundKeyPerRoundPlusOne()
    {
        QFETCH(int, level);
        QFETCH(QByteArray, key);
        QFETCH(int, length);
        QFETCH(QByteArray, lastWord);
        const QByteArray expanded = AesCipher(level, AesCipher::ECB, AesCipher::PKCS7).expandKey(key);
        QCOMPARE(expanded.size(), length);
        QCOMPARE(expanded.left(key.size()).toHex(), key.toHex());
        QCOMPARE(expanded.right(4).toHex(), lastWord.toHex());
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

    void chainedModesRefuseAMissingOrShortVector()
    {
        const QByteArray key = hex(kKey128);
        for (int mode : {AesCipher::CBC, AesCipher::CFB, AesCipher::OFB}) {
            AesCipher aes(AesCipher::AES_128, mode, AesCipher::PKCS7);
            QCOMPARE(aes.encode("text", key, QByteArray(15, 'v')), QByteArray());
            QCOMPARE(aes.encode("text", key, QByteArray(17, 'v')), QByteArray());
            QCOMPARE(aes.encode("text", key, QByteArray()), QByteArray());
            QCOMPARE(aes.decode(QByteArray(16, 'c'), key, QByteArray(15, 'v')), QByteArray());
            QCOMPARE(aes.decode(QByteArray(16, 'c'), key, QByteArray()), QByteArray());
        }
        // ECB ignores the vector, whatever its length.
        AesCipher ecb(AesCipher::AES_128, AesCipher::ECB, AesCipher::PKCS7);
        QCOMPARE(ecb.encode("text", key, QByteArray(3, 'v')), ecb.encode("text", key));
    }

    void unknownModeAndWrongKeyLengthGiveEmptyResultsAndUnknownLevelIsAes128()
    {
        const QByteArray iv = hex(kVector);
        AesCipher unknownMode(AesCipher::AES_128, 4, AesCipher::PKCS7);
        QCOMPARE(unknownMode.encode("text", hex(kKey128), iv), QByteArray());
        QCOMPARE(unknownMode.decode(QByteArray(16, 'c'), hex(kKey128), iv), QByteArray());

        AesCipher aes128(AesCipher::AES_128, AesCipher::ECB, AesCipher::PKCS7);
        QCOMPARE(aes128.encode("text", hex(kKey256)), QByteArray());
        QCOMPARE(aes128.encode("text", QByteArray("short")), QByteArray());
        QCOMPARE(aes128.expandKey(QByteArray("short")), QByteArray());
        // Cipher text that is not whole blocks is refused rather than overrun.
        QCOMPARE(aes128.decode(QByteArray(17, 'c'), hex(kKey128)), QByteArray());

        // An unknown level means AES-128.
        AesCipher unknown(9, AesCipher::ECB, AesCipher::ZERO);
        QCOMPARE(unknown.keyLength(), 16);
        QCOMPARE(unknown.encode(hex("00112233445566778899aabbccddeeff"), hex("000102030405060708090a0b0c0d0e0f")),
                 hex("69c4e0d86a7b0430d8cdb78070b4c55a"));
    }
};

QTEST_APPLESS_MAIN(AesCipherTest)
#include "tst_aescipher.moc"
