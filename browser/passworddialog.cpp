#include "browser/passworddialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>

PasswordDialog::PasswordDialog(const QString &info, const QString &host, QWidget *parent)
    : QDialog(parent)
    , m_userNameLineEdit(new QLineEdit(this))
    , m_passwordLineEdit(new QLineEdit(this))
{
    setObjectName(QStringLiteral("PasswordDialog"));
    resize(399, 148);
    setWindowTitle(tr("Authentication Required"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto *iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("m_iconLabel"));
    iconLabel->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this).pixmap(32, 32));

    auto *infoLabel = new QLabel(info, this);
    infoLabel->setObjectName(QStringLiteral("m_infoLabel"));
    infoLabel->setTextFormat(Qt::RichText);
    infoLabel->setWordWrap(true);

    auto *hostLabel = new QLabel(tr("Host: %1").arg(host), this);
    hostLabel->setObjectName(QStringLiteral("m_hostLabel"));
    hostLabel->setTextFormat(Qt::PlainText);
    hostLabel->setWordWrap(true);

    auto *userLabel = new QLabel(tr("Username:"), this);
    userLabel->setObjectName(QStringLiteral("userLabel"));
    m_userNameLineEdit->setObjectName(QStringLiteral("m_userNameLineEdit"));

    auto *passwordLabel = new QLabel(tr("Password:"), this);
    passwordLabel->setObjectName(QStringLiteral("passwordLabel"));
    m_passwordLineEdit->setObjectName(QStringLiteral("m_passwordLineEdit"));
    m_passwordLineEdit->setEchoMode(QLineEdit::Password);

    auto *buttonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttonBox->setObjectName(QStringLiteral("buttonBox"));
    connect(buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *gridLayout = new QGridLayout(this);
    gridLayout->setObjectName(QStringLiteral("gridLayout"));
    gridLayout->addWidget(iconLabel, 0, 0);
    gridLayout->addWidget(infoLabel, 0, 1);
    gridLayout->addWidget(hostLabel, 1, 1);
    gridLayout->addWidget(userLabel, 2, 0);
    gridLayout->addWidget(m_userNameLineEdit, 2, 1);
    gridLayout->addWidget(passwordLabel, 3, 0);
    gridLayout->addWidget(m_passwordLineEdit, 3, 1);
    gridLayout->addWidget(buttonBox, 4, 0, 1, 2);
    gridLayout->setSizeConstraint(QLayout::SetMinimumSize);
    resize(width(), qMax(height(), gridLayout->totalHeightForWidth(width())));
}

QString PasswordDialog::userName() const
{
    return m_userNameLineEdit->text();
}

QString PasswordDialog::password() const
{
    return m_passwordLineEdit->text();
}
