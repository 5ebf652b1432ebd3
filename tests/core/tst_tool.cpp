#include "core/aescipher.h"
#include "core/tool.h"
#include "freshdatabase.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

InterfaceSummary adapter(const QString &name, bool up, bool loopback, const QString &address)
{
    InterfaceSummary summary;
    summary.humanReadableName = name;
    summary.up = up;
    summary.loopback = loopback;
    summary.hardwareAddress = address;
    return summary;
}

} // namespace

// The client identity values and the phone token.
class ToolTest : public QObject
{
    Q_OBJECT

private slots:
    void hardwareAddressSkipsDownLoopbackAndVMwareAdapters()
    {
        const QList<InterfaceSummary> interfaces = {
            adapter(QStringLiteral("lo"), true, true, QStringLiteral("00:00:00:00:00:00")),
            adapter(QStringLiteral("Ethernet 2"), false, false, QStringLiteral("11:11:11:11:11:11")),
            adapter(QStringLiteral("VMware Network Adapter VMnet8"), true, false,
                    QStringLiteral("00:50:56:C0:00:08")),
            adapter(QStringLiteral("WLAN"), true, false, QStringLiteral("A4:5E:60:D1:22:3F")),
            adapter(QStringLiteral("Ethernet"), true, false, QStringLiteral("B8:27:EB:00:00:01")),
        };
        QCOMPARE(Tool::pickHardwareAddress(interfaces), QStringLiteral("A4:5E:60:D1:22:3F"));
    }

    void onlyAVMwareAdapterLeavesTheHardwareAddressEmpty()
    {
        for (const QString &name : {QStringLiteral("VMware Network Adapter VMnet1"),
                                    QStringLiteral("vmware network adapter"),
                                    QStringLiteral("My VMWARE bridge")}) {
            const QList<InterfaceSummary> interfaces = {
                adapter(QStringLiteral("lo"), true, true, QStringLiteral("00:00:00:00:00:00")),
                adapter(name, true, false, QStringLiteral("00:50:56:C0:00:01")),
            };
            QCOMPARE(Tool::pickHardwareAddress(interfaces), QString());
        }
        QCOMPARE(Tool::pickHardwareAddress({}), QString());
    }

    void hardwareAddressOfThisMachineHasQtsTextForm()
    {
        const QString mac = Tool().getMac();
        if (mac.isEmpty())
            QSKIP("this machine has no adapter that is up and not loopback");
        QVERIFY2(QRegularExpression(QStringLiteral("^([0-9A-F]{2}:){5}[0-9A-F]{2}$")).match(mac).hasMatch(),
                 qPrintable(mac));
    }

    void ipIsTheTextOfAnIpv4AddressOrEmpty()
    {
        const QString ip = Tool().getIp();
        if (ip.isEmpty())
            return;
        QHostAddress address;
        QVERIFY2(address.setAddress(ip), qPrintable(ip));
        QCOMPARE(address.protocol(), QAbstractSocket::IPv4Protocol);
    }

    void editionIsTheVersionRecordedInTheDatabase()
    {
        FreshDatabase fresh;
        QCOMPARE(Tool().getEdition(), QStringLiteral("2.0.0.2"));
        QVERIFY(fresh.db().setVersion(QStringLiteral("2.1.0.7")));
        QCOMPARE(Tool().getEdition(), QStringLiteral("2.1.0.7"));
        // The temporary reader leaves the program's own connection open.
        QCOMPARE(fresh.db().getVersion(), QStringLiteral("2.1.0.7"));
    }

    void tokenIsTheEncryptedIndentedJsonInBase64Twice()
    {
        const QString token = Tool().getEncodeText(QStringLiteral("2024-03-10 08:15:00"),
                                                   QStringLiteral("13800138000"));
        const QByteArray cipher = QByteArray::fromBase64(QByteArray::fromBase64(token.toLatin1()));
        QCOMPARE(cipher.size() % 16, 0);

        const QByteArray json("{\n"
                              "    \"phone\": \"13800138000\",\n"
                              "    \"timestamp\": \"2024-03-10 08:15:00\"\n"
                              "}\n");
        const int pad = 16 - json.size() % 16;
        AesCipher aes(AesCipher::AES_128, AesCipher::ECB, AesCipher::PKCS7);
        QCOMPARE(aes.decode(cipher, QByteArrayLiteral("7be01f93c4a2d586")), json + QByteArray(pad, char(pad)));
        // Plain Base64 characters only: the token goes into the page address as it is.
        QVERIFY(QRegularExpression(QStringLiteral("^[A-Za-z0-9+/]+=*$")).match(token).hasMatch());
    }

    void sameInputAlwaysGivesTheSameToken()
    {
        const Tool tool;
        const QString first = tool.getEncodeText(QStringLiteral("1700000000"), QStringLiteral("13900000000"));
        QCOMPARE(tool.getEncodeText(QStringLiteral("1700000000"), QStringLiteral("13900000000")), first);
        QVERIFY(tool.getEncodeText(QStringLiteral("1700000001"), QStringLiteral("13900000000")) != first);
    }
};

QTEST_GUILESS_MAIN(ToolTest)
#include "tst_tool.moc"
