#pragma once

#include "core/protobufhttp.h"

#include <QDeadlineTimer>
#include <QHash>
#include <QObject>
#include <QVariantList>

// Company news, policy news and system notices of the platform. The two
// home-page lists are kept in cache files in the data directory for an hour;
// only replies that carry a list of articles are cached.
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
    // How long a list is not asked for again after a failed fetch.
    static constexpr qint64 retryAfterFailureMs = 5 * 60 * 1000;

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
    // The reply of a list's request; a reply without usable articles holds
    // back further requests of that list for retryAfterFailureMs.
    QString fetch(const Source &source);
    bool mayFetch(const Source &source) const;
    void buff(const Source &source);
    QVariantList cachedList(const Source &source);
    static QString readCache(const QString &path);

    RequestSender m_request;
    // When each list (by cache file) may be asked for again after a failure.
    QHash<const char *, QDeadlineTimer> m_retryAt;
};
