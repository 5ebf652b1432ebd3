#pragma once

#include "core/protobufhttp.h"

#include <QObject>
#include <QString>

// The platform's usage log, for the interface and for start-up.
class LogFunction : public QObject
{
    Q_OBJECT
public:
    explicit LogFunction(QObject *parent = nullptr);

    // Sends the non-empty fields (types, summary, phone, userid, tax_code, in
    // that order) and always "mac" to "/api/platApi/sendLog"; the reply is
    // not read.
    Q_INVOKABLE void log(QString types, QString summary, QString mac = QString(),
                         QString phone = QString(), QString tax_code = QString(),
                         QString userid = QString());

private:
    RequestSender m_sender;
};
