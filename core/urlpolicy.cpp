#include "core/urlpolicy.h"

#include <QDebug>
#include <QDesktopServices>

namespace {

constexpr int printableLength = 200;

} // namespace

UrlPolicy::UrlPolicy(QObject *parent)
    : QObject(parent)
{
}

QUrl UrlPolicy::parse(const QString &address)
{
    // As the interface turns text into an address; what counts is the
    // scheme and the host that come out.
    return QUrl(address.trimmed(), QUrl::TolerantMode);
}

bool UrlPolicy::isWebAddress(const QUrl &url)
{
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    return (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
        && !url.host().isEmpty();
}

bool UrlPolicy::isPageAddress(const QUrl &url)
{
    if (isWebAddress(url))
        return true;
    if (url.scheme().compare(QLatin1String("about"), Qt::CaseInsensitive) != 0)
        return false;
    const QString page = url.path().toLower();
    return page == QLatin1String("blank") || page == QLatin1String("srcdoc");
}

QString UrlPolicy::printable(const QString &address)
{
    QString text;
    for (const QChar c : address.left(printableLength)) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            text += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            text += c;
    }
    if (address.size() > printableLength)
        text += QStringLiteral("…");
    return text;
}

bool UrlPolicy::openExternally(const QString &address) const
{
    const QUrl url = parse(address);
    if (!isWebAddress(url)) {
        qInfo().noquote() << QStringLiteral("refused to open outside the program (not http or https): ")
                + printable(address);
        return false;
    }
    qDebug().noquote() << QStringLiteral("opening outside the program: ") + printable(url.toString());
    return QDesktopServices::openUrl(url);
}

bool UrlPolicy::mayLoad(const QString &address, const QString &where) const
{
    if (isPageAddress(parse(address)))
        return true;
    qInfo().noquote() << QStringLiteral("refused to load in ")
            + (where.isEmpty() ? QStringLiteral("a web view") : where)
            + QStringLiteral(" (not http or https): ") + printable(address);
    return false;
}
