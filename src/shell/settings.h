#pragma once

#include <QString>

// config.ini in the program folder: one section "config", read and written key
// by key with the private-profile rules the Windows program relies on. Nothing
// is cached; every call reads the file again.
class Settings
{
public:
    explicit Settings(const QString &programFolder);

    QString filePath() const;

    // The key's value in section "config" (section and key names compared
    // without regard to case), trimmed and cut to 254 characters; empty when
    // the file, the section or the key is missing.
    QString LoadConfigValue(const QString &key) const;

    // Stores the value under the key in section "config", creating the file
    // and the section when missing. Every other byte of the file stays as it
    // was. On failure the old file is intact and errorText says why.
    bool SaveConfigValue(const QString &key, const QString &value, QString *errorText = nullptr);

private:
    QString m_filePath;
};
