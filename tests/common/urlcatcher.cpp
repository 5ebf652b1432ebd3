#include "urlcatcher.h"

#include <QDesktopServices>

UrlCatcher::UrlCatcher(const QString &scheme)
    : m_scheme(scheme)
{
    QDesktopServices::setUrlHandler(m_scheme, this, "open");
}

UrlCatcher::~UrlCatcher()
{
    QDesktopServices::unsetUrlHandler(m_scheme);
}

void UrlCatcher::open(const QUrl &url)
{
    urls.append(url);
}
