#pragma once

#include <QDialog>

// Asks whether to go on with a certificate that failed verification:
// accepted (Yes) goes on, rejected (No) refuses the certificate.
class CertificateErrorDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CertificateErrorDialog(const QString &errorDescription, QWidget *parent = nullptr);
};
