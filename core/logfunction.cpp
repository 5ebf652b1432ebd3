#include "core/logfunction.h"

#include "core/deployment.h"

LogFunction::LogFunction(QObject *parent)
    : QObject(parent)
{
}

void LogFunction::log(QString types, QString summary, QString mac, QString phone,
                      QString tax_code, QString userid)
{
    QString body;
    const auto addField = [&body](const char *key, const QString &value) {
        if (!value.isEmpty())
            body += QLatin1String(key) + RequestSender::formValue(value) + QLatin1Char('&');
    };
    addField("types=", types);
    addField("summary=", summary);
    addField("phone=", phone);
    addField("userid=", userid);
    addField("tax_code=", tax_code);
    body += QStringLiteral("mac=") + RequestSender::formValue(mac);

    QString reply;
    m_sender.postPlatformRequest(Deployment::platformUrl() + QStringLiteral("/api/platApi/sendLog"),
                                 body, reply);
}
