#pragma once

#include <QDialog>

// Asks whether to go on with a certificate that failed verification for
// `host`: accepted (Yes) goes on, rejected (No, also Return and Escape)
// refuses the certificate. The dialog grows to show its whole text.
class CertificateErrorDialog : public QDialog
{
    Q_OBJECT

public:
    CertificateErrorDialog(const QString &errorDescription, const QString &host,
                           QWidget *parent = nullptr);
};
