#include "browser/certificateerrordialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

CertificateErrorDialog::CertificateErrorDialog(const QString &errorDescription, const QString &host,
                                               QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CertificateErrorDialog"));
    resize(370, 141);
    setWindowTitle(tr("Certificate Error"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto *iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("m_iconLabel"));
    iconLabel->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(32, 32));

    auto *errorLabel = new QLabel(errorDescription, this);
    errorLabel->setObjectName(QStringLiteral("m_errorLabel"));
    errorLabel->setTextFormat(Qt::PlainText);
    errorLabel->setWordWrap(true);

    auto *hostLabel = new QLabel(tr("Host: %1").arg(host), this);
    hostLabel->setObjectName(QStringLiteral("m_hostLabel"));
    hostLabel->setTextFormat(Qt::PlainText);
    hostLabel->setWordWrap(true);

    auto *infoLabel = new QLabel(this);
    infoLabel->setObjectName(QStringLiteral("m_infoLabel"));
    infoLabel->setTextFormat(Qt::PlainText);
    infoLabel->setWordWrap(true);
    infoLabel->setText(tr("If you wish so, you may continue with an unverified certificate. "
                          "Accepting an unverified certificate mean you may not be connected with "
                          "the host you tried to connect to.\n\n"
                          "Do you wish to override the security check and continue ?"));

    auto *buttonBox = new QDialogButtonBox(QDialogButtonBox::Yes | QDialogButtonBox::No, this);
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    connect(buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Return refuses: going on must be chosen.
    buttonBox->button(QDialogButtonBox::Yes)->setAutoDefault(false);
    buttonBox->button(QDialogButtonBox::No)->setDefault(true);

    auto *verticalLayout = new QVBoxLayout(this);
    verticalLayout->setObjectName(QStringLiteral("verticalLayout"));
    verticalLayout->addWidget(iconLabel);
    verticalLayout->addWidget(errorLabel);
    verticalLayout->addWidget(hostLabel);
    verticalLayout->addWidget(infoLabel);
    verticalLayout->addWidget(buttonBox);
    // As tall as its whole text needs at its width.
    verticalLayout->setSizeConstraint(QLayout::SetMinimumSize);
    resize(width(), qMax(height(), verticalLayout->totalHeightForWidth(width())));
}
