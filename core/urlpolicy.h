#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

// What the program does with an address the platform or a page named: the
// embedded web views load web pages only, and the desktop's opener gets
// http and https addresses only. Everything else is refused, and the
// refusal goes to the log with the address made printable.
class UrlPolicy : public QObject
{
    Q_OBJECT

public:
    explicit UrlPolicy(QObject *parent = nullptr);

    // An http or https address with a host.
    static bool isWebAddress(const QUrl &url);
    // What an embedded view may show: a web address or an empty page
    // ("about:blank", and "about:srcdoc" for frames a page writes itself).
    static bool isPageAddress(const QUrl &url);
    // The address as one printable line for the log, cut to a sane length.
    static QString printable(const QString &address);

    // Hands a web address to the desktop's opener; false and a log line for
    // anything else.
    Q_INVOKABLE bool openExternally(const QString &address) const;
    // Whether an embedded view may load `address`; a refusal is logged with
    // `where` (the view that asked).
    Q_INVOKABLE bool mayLoad(const QString &address, const QString &where = QString()) const;

    static QUrl parse(const QString &address);
};
