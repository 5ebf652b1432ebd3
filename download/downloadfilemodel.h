#pragma once

#include <QObject>
#include <QString>

// One entry of the platform's software catalogue, as the download page lists it.
// The setters only store: each element is filled once before it is handed over.
class DownloadFileModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString id READ id WRITE setId NOTIFY idChanged)
    Q_PROPERTY(QString title READ title WRITE setTitle NOTIFY titileChanged)
    Q_PROPERTY(QString shortitle READ shortitle WRITE setShortitle NOTIFY shortitleChanged)
    Q_PROPERTY(QString summary READ summary WRITE setSummary NOTIFY summaryChanged)
    Q_PROPERTY(QString uplodeimg READ uplodeimg WRITE setUplodeimg NOTIFY uplodeimgChanged)
    Q_PROPERTY(QString uplodesoft READ uplodesoft WRITE setUplodesoft NOTIFY uplodesoftChanged)
    Q_PROPERTY(QString softsize READ softsize WRITE setSoftsize NOTIFY softsizeChanged)
    Q_PROPERTY(QString url READ url WRITE setUrl NOTIFY urlChanged)
    Q_PROPERTY(QString filename READ filename WRITE setFilename NOTIFY filenameChanged)
public:
    explicit DownloadFileModel(QObject *parent = nullptr);

    QString id() const { return m_id; }
    void setId(const QString &value) { m_id = value; }
    QString title() const { return m_title; }
    void setTitle(const QString &value) { m_title = value; }
    QString shortitle() const { return m_shortitle; }
    void setShortitle(const QString &value) { m_shortitle = value; }
    QString summary() const { return m_summary; }
    void setSummary(const QString &value) { m_summary = value; }
    QString uplodeimg() const { return m_uplodeimg; }
    void setUplodeimg(const QString &value) { m_uplodeimg = value; }
    QString uplodesoft() const { return m_uplodesoft; }
    void setUplodesoft(const QString &value) { m_uplodesoft = value; }
    QString softsize() const { return m_softsize; }
    void setSoftsize(const QString &value) { m_softsize = value; }
    QString url() const { return m_url; }
    void setUrl(const QString &value) { m_url = value; }
    QString filename() const { return m_filename; }
    void setFilename(const QString &value) { m_filename = value; }

signals:
    void idChanged();
    void titileChanged();
    void shortitleChanged();
    void summaryChanged();
    void uplodeimgChanged();
    void uplodesoftChanged();
    void softsizeChanged();
    void urlChanged();
    void filenameChanged();

private:
    QString m_id;
    QString m_title;
    QString m_shortitle;
    QString m_summary;
    QString m_uplodeimg;
    QString m_uplodesoft;
    QString m_softsize;
    QString m_url;
    QString m_filename;
};
