#pragma once

#include <QByteArray>
#include <QStringList>

#include <optional>

// A certificate made in this process for a local https server: a new P-256
// key, the certificate signed with it for the given host names. Nobody
// trusts it; a browser told its key's pin accepts it, and only it.
struct SelfSignedCertificate
{
    QByteArray certificatePem;
    QByteArray keyPem;
    // The base64 SHA-256 of the key's SubjectPublicKeyInfo (RFC 7469), as
    // Chromium's --ignore-certificate-errors-spki-list takes it.
    QByteArray publicKeyPin;

    // Nothing when the crypto library fails.
    static std::optional<SelfSignedCertificate> make(const QStringList &hostNames, int validDays);
};
