#include "platform/net/self_signed_certificate.h"

#include <QCryptographicHash>

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>

namespace {

template <auto Free> struct Freeing
{
    template <typename T> void operator()(T *p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Freeing<EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Freeing<X509_free>>;
using Extension = std::unique_ptr<X509_EXTENSION, Freeing<X509_EXTENSION_free>>;
using Memory = std::unique_ptr<BIO, Freeing<BIO_free_all>>;

QByteArray bytesOf(BIO *memory)
{
    char *data = nullptr;
    const long size = BIO_get_mem_data(memory, &data);
    return QByteArray(data, int(size));
}

bool addExtension(X509 *certificate, int nid, const QByteArray &value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    const Extension extension(X509V3_EXT_conf_nid(nullptr, &context, nid, value.constData()));
    return extension && X509_add_ext(certificate, extension.get(), -1) == 1;
}

} // namespace

std::optional<SelfSignedCertificate> SelfSignedCertificate::make(const QStringList &hostNames, int validDays)
{
    const Key key(EVP_EC_gen("P-256"));
    const Certificate certificate(X509_new());
    if (!key || !certificate || hostNames.isEmpty())
        return std::nullopt;
    X509 *c = certificate.get();
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1)
        return std::nullopt;
    serial[0] &= 0x7f; // a positive number
    BIGNUM *number = BN_bin2bn(serial, sizeof serial, nullptr);
    const bool serialSet = number && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(c));
    BN_free(number);
    QByteArray names;
    for (const QString &host : hostNames)
        names += (names.isEmpty() ? "DNS:" : ",DNS:") + host.toLatin1();
    const QByteArray commonName = hostNames.first().toLatin1();
    X509_NAME *subject = X509_get_subject_name(c);
    // From an hour ago: a clock a little behind the browser's does not matter.
    if (!serialSet || X509_set_version(c, 2) != 1 || !X509_gmtime_adj(X509_getm_notBefore(c), -3600)
        || !X509_gmtime_adj(X509_getm_notAfter(c), long(validDays) * 24 * 3600) || X509_set_pubkey(c, key.get()) != 1
        || X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
                                      reinterpret_cast<const unsigned char *>(commonName.constData()), -1, -1, 0)
            != 1
        || X509_set_issuer_name(c, subject) != 1 || !addExtension(c, NID_subject_alt_name, names)
        || !addExtension(c, NID_basic_constraints, "critical,CA:FALSE")
        || !addExtension(c, NID_ext_key_usage, "serverAuth") || X509_sign(c, key.get(), EVP_sha256()) == 0)
        return std::nullopt;

    const Memory certificatePem(BIO_new(BIO_s_mem())), keyPem(BIO_new(BIO_s_mem()));
    if (!certificatePem || !keyPem || PEM_write_bio_X509(certificatePem.get(), c) != 1
        || PEM_write_bio_PrivateKey(keyPem.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return std::nullopt;
    const int spkiSize = i2d_PUBKEY(key.get(), nullptr);
    if (spkiSize <= 0)
        return std::nullopt;
    QByteArray spki(spkiSize, Qt::Uninitialized);
    auto *end = reinterpret_cast<unsigned char *>(spki.data());
    if (i2d_PUBKEY(key.get(), &end) != spkiSize)
        return std::nullopt;
    return SelfSignedCertificate{bytesOf(certificatePem.get()), bytesOf(keyPem.get()),
                                 QCryptographicHash::hash(spki, QCryptographicHash::Sha256).toBase64()};
}
