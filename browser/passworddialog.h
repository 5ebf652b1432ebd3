#pragma once

#include <QDialog>

class QLineEdit;

// Asks for a user name and password; `info` says what for (rich text, so
// callers escape what the server or the page chose); `host`, plain, is
// always shown on a line of its own, whatever the length of `info`.
class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    PasswordDialog(const QString &info, const QString &host, QWidget *parent = nullptr);

    QString userName() const;
    QString password() const;

private:
    QLineEdit *m_userNameLineEdit;
    QLineEdit *m_passwordLineEdit;
};
