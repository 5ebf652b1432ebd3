#pragma once

#include <QString>

// The user's keyring (the desktop's Secret Service, through QtKeychain),
// where "记住密码" keeps the password. Each call waits for the keyring's
// answer in a local event loop, at most timeoutMs; a keyring that does not
// answer, or refuses, makes the call fail, with the reason in `why`.
class Keyring
{
public:
    static constexpr int timeoutMs = 20000;

    // The entry of the program's saved sign-in for `phone`.
    static bool write(const QString &phone, const QString &password, QString *why = nullptr);
    // False when there is none or the keyring does not answer.
    static bool read(const QString &phone, QString *password, QString *why = nullptr);
    static bool remove(const QString &phone, QString *why = nullptr);

    static QString service();
};
