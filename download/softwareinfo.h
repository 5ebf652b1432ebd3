#pragma once

#include "core/elementproperty.h"

#include <QObject>
#include <QString>
#include <QVariantList>

// The details of one catalogue entry for the download page.
// The setters only store: the record is filled once before it is handed over.
class SoftwareInfo : public QObject
{
    Q_OBJECT
    PLIT_ELEMENT_PROPERTY(QString, id, setId, idChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, icon, setIcon, iconChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, name, setName, nameChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, version, setVersion, versionChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, size, setSize, sizeChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, updatetime, setUpdatetime, updatetimeChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QVariantList, piclist, setPiclist, piclistChanged, Silent)
    PLIT_ELEMENT_PROPERTY(QString, summary, setSummary, summaryChanged, Silent)
    PLIT_ELEMENT_PROPERTY(bool, picexist, setPicexist, picexistChanged, Silent)

public:
    explicit SoftwareInfo(QObject *parent = nullptr);
};
