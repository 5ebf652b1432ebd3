#pragma once

#include <QJsonObject>
#include <QObject>

// One article or notice of the platform, handed to QML.
class PosterModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int id READ id WRITE setId NOTIFY idChanged)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titleChanged)
    Q_PROPERTY(QString url READ url WRITE setUrl NOTIFY urlChanged)
    Q_PROPERTY(QString summary READ summary WRITE setSummary NOTIFY summaryChanged)
    Q_PROPERTY(QString content READ content WRITE setContent NOTIFY contentChanged)
public:
    explicit PosterModel(QObject *parent = nullptr);

    // An article from a reply: "id", "title", "p_url", "summary", "content";
    // a missing field keeps its initial value. No signal is emitted.
    static PosterModel *fromJson(const QJsonObject &article);

    int id() const { return m_id; }
    QString title() const { return m_title; }
    QString url() const { return m_url; }
    QString summary() const { return m_summary; }
    QString content() const { return m_content; }

    void setId(int id);
    void setTitle(const QString &title);
    void setUrl(const QString &url);
    void setSummary(const QString &summary);
    void setContent(const QString &content);

signals:
    void idChanged();
    void titleChanged();
    void urlChanged();
    void summaryChanged();
    void contentChanged();

private:
    int m_id = 0;
    QString m_title;
    QString m_url;
    QString m_summary;
    QString m_content;
};
