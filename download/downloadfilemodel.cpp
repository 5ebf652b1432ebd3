#include "download/downloadfilemodel.h"

DownloadFileModel::DownloadFileModel(QObject *parent)
    : QObject(parent)
{
}
