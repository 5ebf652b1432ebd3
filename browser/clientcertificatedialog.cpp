#include "browser/clientcertificatedialog.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

ClientCertificateDialog::ClientCertificateDialog(const QString &host,
                                                 const QVector<QSslCertificate> &certificates,
                                                 QWidget *parent)
    : QDialog(parent)
    , m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("ClientCertificateDialog"));
    setWindowTitle(tr("Client Certificate"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto *info = new QLabel(tr("%1 asks for a certificate to identify you. Choose one to send, "
                               "or Cancel to send none.").arg(host), this);
    info->setObjectName(QStringLiteral("m_infoLabel"));
    info->setTextFormat(Qt::PlainText);
    info->setWordWrap(true);

    m_list->setObjectName(QStringLiteral("m_certificateList"));
    for (const QSslCertificate &certificate : certificates)
        m_list->addItem(describe(certificate));
    m_list->setCurrentRow(-1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName(QStringLiteral("buttonBox"));
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(false);
    ok->setAutoDefault(false);
    buttons->button(QDialogButtonBox::Cancel)->setDefault(true);
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this, ok] {
        ok->setEnabled(chosen() >= 0);
    });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (chosen() >= 0)
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
}

int ClientCertificateDialog::chosen() const
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.first());
}

QString ClientCertificateDialog::describe(const QSslCertificate &certificate)
{
    const auto name = [](const QStringList &parts) {
        return parts.isEmpty() ? tr("(no name)") : parts.join(QStringLiteral(", "));
    };
    return tr("%1 (issued by %2, valid until %3)")
            .arg(name(certificate.subjectInfo(QSslCertificate::CommonName)),
                 name(certificate.issuerInfo(QSslCertificate::CommonName)),
                 certificate.expiryDate().toString(Qt::ISODate));
}
