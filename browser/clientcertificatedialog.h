#pragma once

#include <QDialog>
#include <QSslCertificate>
#include <QVector>

class QListWidget;

// Asks which of the offered client certificates to show `host`, if any:
// nothing is chosen beforehand, OK needs a choice, and Cancel (also Return
// and Escape while nothing is chosen) sends none.
class ClientCertificateDialog : public QDialog
{
    Q_OBJECT

public:
    ClientCertificateDialog(const QString &host, const QVector<QSslCertificate> &certificates,
                            QWidget *parent = nullptr);

    // The row chosen, or -1.
    int chosen() const;

    // How a certificate reads in the list: its subject, issuer and end of
    // validity, as plain text.
    static QString describe(const QSslCertificate &certificate);

private:
    QListWidget *m_list;
};
