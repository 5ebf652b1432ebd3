#pragma once

#include <QDialog>

class QLineEdit;

// Asks for a user name and password; `info` says what for (rich text allowed,
// so callers escape what the server or the page chose).
class PasswordDialog : public QDialog
{
    Q_OBJECT

public:
    explicit PasswordDialog(const QString &info, QWidget *parent = nullptr);

    QString userName() const;
    QString password() const;

private:
    QLineEdit *m_userNameLineEdit;
    QLineEdit *m_passwordLineEdit;
};
