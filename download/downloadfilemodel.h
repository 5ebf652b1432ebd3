#pragma once

#include "core/elementproperty.h"

#include <QObject>
#include <QString>

// One entry of the platform's software catalogue, as the download page lists it.
// The setters only store: each element is filled once before it is handed over.
class DownloadFileModel : public QObject
{
    Q_OBJECT
    PLIT_ELEMENT_PROPERTY(QString, id, setId, idChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, title, setTitle, titileChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, shortitle, setShortitle, shortitleChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, summary, setSummary, summaryChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, uplodeimg, setUplodeimg, uplodeimgChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, uplodesoft, setUplodesoft, uplodesoftChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, softsize, setSoftsize, softsizeChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, url, setUrl, urlChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, filename, setFilename, filenameChanged, Silent)

public:
    explicit DownloadFileModel(QObject *parent = nullptr);
};
