#include "services/configfunction.h"

#include "core/deployment.h"
#include "services/keyring.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
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

// The number whose password the next start signs in with, while the
// keyring has yet to answer for it.
QString g_autoLogonPhone;

} // namespace

ConfigFunction::ConfigFunction(QObject *parent)
    : QObject(parent)
{
    followKeyring();
    connect(Keyring::instance(), &Keyring::answered, this,
            [this](const QString &, const QString &password, Keyring::Outcome outcome) {
                if (!password.isEmpty() && outcome != Keyring::Outcome::Done)
                    emit passwordNotSaved();
            });
}

void ConfigFunction::followKeyring()
{
    static QPointer<Keyring> followed;
    Keyring *keyring = Keyring::instance();
    if (followed == keyring)
        return;
    followed = keyring;
    connect(keyring, &Keyring::answered, keyring,
            [](const QString &phone, const QString &password, Keyring::Outcome outcome, const QString &why) {
                const bool saved = open()->value(kPhone).toString() == phone;
                if (password.isEmpty()) {
                    if (outcome != Keyring::Outcome::Done)
                        qInfo().noquote() << QStringLiteral("the keyring keeps a password that was to go: ") + why;
                    return;
                }
                if (outcome == Keyring::Outcome::Done) {
                    qInfo().noquote() << QStringLiteral("the keyring keeps the password");
                    if (saved && g_autoLogonPhone == phone)
                        write([](QSettings &settings) { settings.setValue(kAutoLogon, true); });
                    return;
                }
                qInfo().noquote() << QStringLiteral("the keyring did not take the password (") + why
                        + QStringLiteral("): it is kept nowhere, and the next start does not sign in by itself");
                if (saved)
                    write([](QSettings &settings) {
                        settings.remove(kPassword);
                        settings.setValue(kAutoLogon, false);
                    });
            });
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
    g_autoLogonPhone.clear();
    if (!QFile::exists(filePath()))
        return;
    const QString phone = open()->value(kPhone).toString();
    if (!phone.isEmpty() && Keyring::existsOnSessionBus())
        Keyring::instance()->keep(phone, QString());
    write([](QSettings &settings) {
        settings.remove(kPhone);
        settings.remove(kPassword);
        settings.remove(kAutoLogon);
    });
}

void ConfigFunction::rememberFormPassword(QString phone, QString password)
{
    if (phone.isEmpty())
        return;
    if (!Keyring::existsOnSessionBus()) {
        keepFormPasswordInFile(phone, password);
        return;
    }
    Keyring::instance()->keep(phone, password);
}

void ConfigFunction::keepFormPasswordInFile(const QString &phone, const QString &password)
{
    const Credentials saved = readCredentials();
    if (saved.phone == phone && saved.password == password)
        return;
    if (!saved.phone.isEmpty() && saved.phone != phone && saved.autoLogon) {
        qInfo().noquote() << QStringLiteral("no keyring on the session bus, and System.ini keeps another number's sign-in: "
                                            "the remembered password is kept nowhere");
        return;
    }
    if (password.isEmpty()) {
        if (saved.phone == phone && !saved.autoLogon)
            write([](QSettings &settings) { settings.remove(kPassword); });
        return;
    }
    qInfo().noquote() << QStringLiteral("no keyring on the session bus: the remembered password is kept in System.ini, "
                                        "readable by its owner only");
    write([&](QSettings &settings) {
        settings.setValue(kPhone, phone);
        settings.setValue(kPassword, password);
    });
}

void ConfigFunction::rememberedFormPassword(QString phone)
{
    if (phone.isEmpty())
        return;
    if (!Keyring::existsOnSessionBus()) {
        const Credentials saved = readCredentials();
        emit rememberedFormPasswordRead(phone, saved.phone == phone ? saved.password : QString());
        return;
    }
    Keyring::instance()->read(phone, this, [this, phone](Keyring::Outcome outcome, const QString &secret, const QString &) {
        emit rememberedFormPasswordRead(phone, outcome == Keyring::Outcome::Done ? secret : QString());
    });
}

ConfigFunction::Credentials ConfigFunction::readCredentials()
{
    const std::unique_ptr<QSettings> settings = open();
    Credentials credentials;
    credentials.phone = settings->value(kPhone).toString();
    credentials.password = settings->value(kPassword).toString();
    credentials.autoLogon = settings->value(kAutoLogon, false).toBool();
    return credentials;
}

void ConfigFunction::loadCredentials(QObject *receiver, std::function<void(const Credentials &)> done)
{
    const Credentials saved = readCredentials();
    if (!saved.autoLogon || saved.phone.isEmpty() || !saved.password.isEmpty()) {
        QMetaObject::invokeMethod(receiver, [saved, done] { done(saved); }, Qt::QueuedConnection);
        return;
    }
    Keyring::instance()->read(saved.phone, receiver,
                              [saved, done](Keyring::Outcome outcome, const QString &secret, const QString &why) {
                                  Credentials loaded = saved;
                                  if (outcome == Keyring::Outcome::Done)
                                      loaded.password = secret;
                                  else
                                      qInfo().noquote() << QStringLiteral("saved password not read from the keyring: ") + why;
                                  done(loaded);
                              });
}

void ConfigFunction::writeCredentials(const QString &phone, const QString &password)
{
    followKeyring();
    const bool keyring = Keyring::existsOnSessionBus();
    if (!keyring)
        qInfo().noquote() << QStringLiteral("no keyring on the session bus: the password is kept in System.ini, "
                                            "readable by its owner only");
    g_autoLogonPhone = phone;
    // With a keyring, the next start signs in by itself once it holds the
    // password: a prompt left unanswered until the program ends leaves no
    // wish to sign in with a password that is nowhere.
    write([&](QSettings &settings) {
        settings.setValue(kPhone, phone);
        if (keyring)
            settings.remove(kPassword);
        else
            settings.setValue(kPassword, password);
        settings.setValue(kAutoLogon, !keyring);
    });
    if (keyring)
        Keyring::instance()->keep(phone, password);
}

void ConfigFunction::movePasswordToKeyring()
{
    followKeyring();
    const bool keyring = Keyring::existsOnSessionBus();
    moveFormPasswordToKeyring(keyring);
    if (!keyring || !QFile::exists(filePath()))
        return;
    const Credentials saved = readCredentials();
    if (saved.password.isEmpty())
        return;
    // Out of the file at once: where the keyring refuses, it is kept nowhere.
    write([](QSettings &settings) { settings.remove(kPassword); });
    if (saved.phone.isEmpty()) {
        qInfo().noquote() << QStringLiteral("a password without a phone number left System.ini");
        return;
    }
    if (saved.autoLogon)
        g_autoLogonPhone = saved.phone;
    Keyring::instance()->keep(saved.phone, saved.password);
    qInfo().noquote() << QStringLiteral("the saved password moves from System.ini into the keyring");
}

// The sign-in form of an earlier version kept its remembered password in the
// interface's settings file ("inputPassword" beside "inputPhone"). It leaves
// that file in any case.
void ConfigFunction::moveFormPasswordToKeyring(bool keyringExists)
{
    QSettings form;
    if (!form.contains(QStringLiteral("inputPassword")))
        return;
    const QString phone = form.value(QStringLiteral("inputPhone")).toString();
    const QString password = form.value(QStringLiteral("inputPassword")).toString();
    form.remove(QStringLiteral("inputPassword"));
    form.sync();
    if (password.isEmpty())
        return;
    if (phone.isEmpty()) {
        qInfo().noquote() << QStringLiteral("the sign-in form's password without a phone number left its settings file");
        return;
    }
    qInfo().noquote() << QStringLiteral("the sign-in form's password left its settings file");
    if (keyringExists)
        Keyring::instance()->keep(phone, password);
    else
        keepFormPasswordInFile(phone, password);
}
