#include "download/softwareinfo.h"

SoftwareInfo::SoftwareInfo(QObject *parent)
    : QObject(parent)
{
}
