#pragma once

#include "core/protobufhttp.h"

#include <QObject>
#include <QVariantList>

// Company news, policy news and system notices of the platform. The two
// home-page lists are kept in cache files in the data directory for an hour.
class PosterFunction : public QObject
{
    Q_OBJECT
public:
    explicit PosterFunction(QObject *parent = nullptr);

    Q_INVOKABLE QVariantList getNotice();
    Q_INVOKABLE QVariantList getPolicy();
    Q_INVOKABLE void buffNoticePolicy();
    Q_INVOKABLE void buffNotice();
    Q_INVOKABLE void buffPolicy();
    Q_INVOKABLE QVariantList getSystemNotice(int _type, int _num);
    Q_INVOKABLE int getSystemNoticeCount(int _type, int _num);

    // How long a cache file is served before it is requested again.
    static constexpr qint64 cacheLifetimeMs = 3600000;

private:
    struct Source
    {
        const char *path;
        QString body;
        const char *cacheFile;
    };
    static const Source companyNews;
    static const Source policyNews;
    static const Source indexArticles;

    QString request(const char *path, const QString &body);
    QString request(const Source &source) { return request(source.path, source.body); }
    void buff(const Source &source);
    QVariantList cachedList(const Source &source);

    RequestSender m_request;
};
