#include "services/configfunction.h"

#include "core/deployment.h"
#include "services/keyring.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <functional>

namespace {

const QString kPhone = QStringLiteral("PHONRNUM");
const QString kPassword = QStringLiteral("PASSWORD");
const QString kAutoLogon = QStringLiteral("AUTOLOGON");
constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Settings files are replaced by new ones that take over the mode of the old;
// an empty file made with the owner-only mode comes first, so a password in
// it is never readable by others, not even for a moment.
void restrictToOwner(const QString &path)
{
    if (!QFile::exists(path)) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.setPermissions(kOwnerOnly);
    } else if (QFile::permissions(path) != kOwnerOnly) {
        QFile::setPermissions(path, kOwnerOnly);
    }
}

} // namespace

ConfigFunction::ConfigFunction(QObject *parent)
    : QObject(parent)
{
}

QString ConfigFunction::filePath()
{
    return Deployment::dataPath(QStringLiteral("System.ini"));
}

QString ConfigFunction::downloadDirectory()
{
    const QString chosen = open()->value(QStringLiteral("FunDic/DownloadPath")).toString();
    if (!chosen.isEmpty())
        return QDir::cleanPath(chosen);
    const QString fallback = Deployment::dataPath(QStringLiteral("temp"));
    QDir().mkpath(fallback);
    return fallback;
}

std::unique_ptr<QSettings> ConfigFunction::open()
{
    auto settings = std::make_unique<QSettings>(filePath(), QSettings::IniFormat);
    settings->setIniCodec("GB18030");
    return settings;
}

void ConfigFunction::write(const std::function<void(QSettings &)> &change)
{
    const QString path = filePath();
    restrictToOwner(path);
    {
        std::unique_ptr<QSettings> settings = open();
        change(*settings);
        settings->sync();
    }
    restrictToOwner(path);
}

void ConfigFunction::protectInterfaceSettings()
{
    restrictToOwner(QSettings().fileName());
}

void ConfigFunction::saveConfig(QString _key, QString _value)
{
    write([&](QSettings &settings) {
        settings.beginGroup(QStringLiteral("FunDic"));
        settings.setValue(_key, _value);
        settings.endGroup();
    });
}

bool ConfigFunction::keyExist(QString _key)
{
    return !open()->value(QStringLiteral("FunDic/") + _key).toString().isEmpty();
}

void ConfigFunction::forgetCredentials()
{
    if (!QFile::exists(filePath()))
        return;
    const QString phone = open()->value(kPhone).toString();
    if (!phone.isEmpty())
        Keyring::remove(phone);
    write([](QSettings &settings) {
        settings.remove(kPhone);
        settings.remove(kPassword);
        settings.remove(kAutoLogon);
    });
}

bool ConfigFunction::rememberFormPassword(QString phone, QString password)
{
    if (phone.isEmpty())
        return false;
    QString why;
    if (password.isEmpty())
        return Keyring::remove(phone, &why);
    if (Keyring::write(phone, password, &why))
        return true;
    qInfo().noquote() << QStringLiteral("no keyring took the remembered password (") + why
            + QStringLiteral("): the sign-in form keeps it in its settings file, readable by its owner only");
    return false;
}

QString ConfigFunction::rememberedFormPassword(QString phone)
{
    QString password;
    if (phone.isEmpty() || !Keyring::read(phone, &password))
        return QString();
    return password;
}

ConfigFunction::Credentials ConfigFunction::readCredentials()
{
    const std::unique_ptr<QSettings> settings = open();
    Credentials credentials;
    credentials.phone = settings->value(kPhone).toString();
    credentials.password = settings->value(kPassword).toString();
    credentials.autoLogon = settings->value(kAutoLogon, false).toBool();
    // Kept in the file only where no keyring answered when it was saved.
    if (credentials.password.isEmpty() && credentials.autoLogon && !credentials.phone.isEmpty()) {
        QString why;
        if (!Keyring::read(credentials.phone, &credentials.password, &why))
            qInfo().noquote() << QStringLiteral("saved password not read from the keyring: ") + why;
    }
    return credentials;
}

void ConfigFunction::writeCredentials(const QString &phone, const QString &password)
{
    QString why;
    const bool inKeyring = Keyring::write(phone, password, &why);
    if (!inKeyring)
        qInfo().noquote() << QStringLiteral("no keyring took the password (") + why
                + QStringLiteral("): it is kept in System.ini, readable by its owner only");
    write([&](QSettings &settings) {
        settings.setValue(kPhone, phone);
        if (inKeyring)
            settings.remove(kPassword);
        else
            settings.setValue(kPassword, password);
        settings.setValue(kAutoLogon, true);
    });
}

void ConfigFunction::movePasswordToKeyring()
{
    moveFormPasswordToKeyring();
    if (!QFile::exists(filePath()))
        return;
    const Credentials saved = [] {
        const std::unique_ptr<QSettings> settings = open();
        return Credentials{settings->value(kPhone).toString(), settings->value(kPassword).toString(), false};
    }();
    if (saved.password.isEmpty())
        return;
    QString why;
    if (saved.phone.isEmpty() || !Keyring::write(saved.phone, saved.password, &why)) {
        qInfo().noquote() << QStringLiteral("the saved password stays in System.ini, readable by its owner only: ")
                + (saved.phone.isEmpty() ? QStringLiteral("no phone number saved with it") : why);
        return;
    }
    write([](QSettings &settings) { settings.remove(kPassword); });
    qInfo().noquote() << QStringLiteral("the saved password moved from System.ini into the keyring");
}

// The sign-in form of an earlier version kept its remembered password in the
// interface's settings file ("inputPassword" beside "inputPhone").
void ConfigFunction::moveFormPasswordToKeyring()
{
    QSettings form;
    const QString phone = form.value(QStringLiteral("inputPhone")).toString();
    const QString password = form.value(QStringLiteral("inputPassword")).toString();
    if (password.isEmpty())
        return;
    QString why;
    if (phone.isEmpty() || !Keyring::write(phone, password, &why)) {
        qInfo().noquote() << QStringLiteral("the sign-in form's password stays in its settings file, readable by its owner only: ")
                + (phone.isEmpty() ? QStringLiteral("no phone number saved with it") : why);
        return;
    }
    form.remove(QStringLiteral("inputPassword"));
    qInfo().noquote() << QStringLiteral("the sign-in form's password moved from its settings file into the keyring");
}
