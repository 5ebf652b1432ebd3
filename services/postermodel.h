#pragma once

#include "core/elementproperty.h"

#include <QJsonObject>
#include <QObject>
#include <QString>

// One article or notice of the platform, handed to QML.
class PosterModel : public QObject
{
    Q_OBJECT
    PLIT_ELEMENT_PROPERTY(int, id, setId, idChanged, Emits)
    PLIT_ELEMENT_PROPERTY(QString, title, setTitle, titleChanged, Emits)
    PLIT_ELEMENT_PROPERTY(QString, url, setUrl, urlChanged, Emits)
    PLIT_ELEMENT_PROPERTY(QString, summary, setSummary, summaryChanged, Emits)
    PLIT_ELEMENT_PROPERTY(QString, content, setContent, contentChanged, Emits)

public:
    explicit PosterModel(QObject *parent = nullptr);

    // An article from a reply: "id", "title", "p_url", "summary", "content";
    // a missing field keeps its initial value. No signal is emitted.
    static PosterModel *fromJson(const QJsonObject &article);
};
