#pragma once

#include <QByteArray>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

// A certificate authority the test binary makes for itself, trusted the way a
// user's desktop trusts one: the embedded browser through the NSS database in
// HOME (so HOME becomes a folder of the authority's), Qt's network through
// its list of authorities. Made before the application starts.
class TestAuthority
{
public:
    TestAuthority()
    {
        char folder[] = "/tmp/zorvane-authority-XXXXXX";
        if (!mkdtemp(folder))
            throw std::runtime_error("no folder for the test authority");
        m_dir = folder;
        const std::string make = std::string(ZORVANE_TEST_SUPPORT_DIR) + "/make-test-authority.sh '" + m_dir.string()
            + "' >/dev/null 2>&1";
        if (std::system(make.c_str()) != 0)
            throw std::runtime_error("make-test-authority.sh failed (openssl, certutil)");
        setenv("HOME", (m_dir / "home").c_str(), 1);
    }
    ~TestAuthority() { std::filesystem::remove_all(m_dir); }
    TestAuthority(const TestAuthority &) = delete;
    TestAuthority &operator=(const TestAuthority &) = delete;

    QString certificateFile() const { return file("server.pem"); }
    QString keyFile() const { return file("server.key"); }

    // Once the application exists.
    void trustInQtNetwork() const
    {
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.addCaCertificates(file("ca.pem"));
        QSslConfiguration::setDefaultConfiguration(config);
    }

private:
    QString file(const char *name) const { return QString::fromStdString((m_dir / name).string()); }

    std::filesystem::path m_dir;
};
