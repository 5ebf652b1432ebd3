#include "core/desktopentry.h"

#include <QFile>

namespace {

QString unescaped(const QByteArray &value)
{
    const QString text = QString::fromUtf8(value);
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out.append(c);
            continue;
        }
        const QChar next = text.at(++i);
        if (next == QLatin1Char('s'))
            out.append(QLatin1Char(' '));
        else if (next == QLatin1Char('n'))
            out.append(QLatin1Char('\n'));
        else if (next == QLatin1Char('t'))
            out.append(QLatin1Char('\t'));
        else if (next == QLatin1Char('r'))
            out.append(QLatin1Char('\r'));
        else
            out.append(next);
    }
    return out;
}

} // namespace

QByteArray DesktopEntry::head(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(MaxBytes);
}

DesktopEntry DesktopEntry::parse(const QByteArray &head)
{
    DesktopEntry entry;
    bool inMain = false;
    for (const QByteArray &raw : head.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            if (inMain)
                break;
            inMain = line == "[Desktop Entry]";
            continue;
        }
        const int equals = line.indexOf('=');
        if (!inMain || equals <= 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        const QByteArray value = line.mid(equals + 1).trimmed();
        if (key == "Name" || (key.startsWith("Name[") && key.endsWith(']')))
            entry.names << unescaped(value);
        else if (key == "Exec")
            entry.exec = unescaped(value);
        else if (key == "Icon")
            entry.icon = unescaped(value);
        else if (key == "Type")
            entry.application = value == "Application";
        else if (key == "Hidden")
            entry.hidden = value == "true";
    }
    return entry;
}
