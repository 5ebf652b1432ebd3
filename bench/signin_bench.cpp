// Times the sign-in replies of accounts with many companies: the first one
// fills the company list, the second replaces it (releasing the first list).
// Prints one line per company count.
//
//   signin_bench [COUNT...]        (default: 20000 40000)

#include "services/mainfunction.h"
#include "services/vantafunction.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QString signInReply(int companies)
{
    QJsonArray data;
    for (int i = 0; i < companies; ++i) {
        const QString code = QStringLiteral("91%1").arg(i, 14, 10, QLatin1Char('0'));
        data.append(QJsonObject{{"tax_code", code},
                                {"tax_name", QStringLiteral("测试公司%1").arg(i)},
                                {"phone", "13800000002"},
                                {"url", QStringLiteral("http://127.0.0.1:8600/invoice/?tax_code=") + code}});
    }
    const QJsonObject nndata{{"data", data}, {"page_count", (companies + 4) / 5}};
    const QJsonObject reply{{"states", true}, {"status", 2}, {"nndata", nndata}};
    return QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));
}

double seconds(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Trace lines go nowhere: the benchmark measures the sign-in.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QTemporaryDir data;
    qputenv("PLIT_DATA_DIR", data.path().toLocal8Bit());

    QList<int> counts;
    for (const QString &arg : app.arguments().mid(1))
        counts << arg.toInt();
    if (counts.isEmpty())
        counts = {20000, 40000};

    MainFunction account;
    for (const int count : qAsConst(counts)) {
        const QString reply = signInReply(count);
        QElapsedTimer clock;
        clock.start();
        account.parseLoginReply(reply, QStringLiteral("13800000002"));
        const double first = seconds(clock);
        clock.restart();
        account.parseLoginReply(reply, QStringLiteral("13800000002"));
        const double second = seconds(clock);
        VantaFunction::setTaxCodeFromPhoneNo({});
        std::printf("companies %d reply_MiB %.1f first_sign_in_s %.3f second_sign_in_s %.3f\n", count,
                    reply.toUtf8().size() / 1048576.0, first, second);
    }
    return 0;
}
