#include "browser/webbrowerfunction.h"

WebBrowerFunction::WebBrowerFunction(QObject *parent)
    : QObject(parent)
{
}

void WebBrowerFunction::openBrower(const QString &_rul)
{
    Q_UNUSED(_rul)
}
