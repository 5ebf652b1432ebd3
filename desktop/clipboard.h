#pragma once

#include <QObject>
#include <QString>

class QClipboard;

// The system clipboard's text for QML documents ("Clipboard" 1.0).
class Clipboard : public QObject
{
    Q_OBJECT

public:
    // The application object must exist: its clipboard is taken here.
    explicit Clipboard(QObject *parent = nullptr);

    Q_INVOKABLE void setText(const QString &text);
    Q_INVOKABLE QString getText();

private:
    QClipboard *m_clipboard;
};
