#pragma once

#include <QSslConfiguration>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

// A certificate authority the test binary makes, trusted as a desktop trusts
// one: by the browser through the NSS database in HOME (which moves to the
// authority's folder), by Qt's network through its list of authorities.
class TestAuthority
{
public:
    TestAuthority()
    {
        char folder[] = "/tmp/zorvane-authority-XXXXXX";
        if (!mkdtemp(folder)
            || std::system((std::string(ZORVANE_TEST_SUPPORT_DIR "/make-test-authority.sh ") + folder + " >/dev/null 2>&1").c_str()))
            throw std::runtime_error("no test authority: make-test-authority.sh needs openssl and certutil");
        m_dir = folder;
        setenv("HOME", (m_dir / "home").c_str(), 1);
    }
    ~TestAuthority() { std::filesystem::remove_all(m_dir); }

    QString file(const char *name) const { return QString::fromStdString((m_dir / name).string()); }
    // Once the application exists.
    void trustInQtNetwork() const
    {
        QSslConfiguration config = QSslConfiguration::defaultConfiguration();
        config.addCaCertificates(file("ca.pem"));
        QSslConfiguration::setDefaultConfiguration(config);
    }

private:
    std::filesystem::path m_dir;
};
