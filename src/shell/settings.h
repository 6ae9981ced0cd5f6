#pragma once

#include "collection/batch/batch_cycle.h"
#include "download/listing/listing_options.h"
#include "download/save_folder.h"

#include <QString>

#include <optional>

// config.ini in the program folder: one section "config", read and written key
// by key with the private-profile rules the Windows program relies on. Nothing
// is cached; every call reads the file again. One getter and one setter per
// setting; the keys and what a missing key means are in one table
// (settings.cpp). A setter is false, with the reason, when the file could not
// be written.
class Settings : public SaveFolderSetting
{
public:
    explicit Settings(const QString &programFolder);

    QString filePath() const;

    // The output folder of the item download; empty when none was chosen.
    QString saveFolder() const override;
    bool setSaveFolder(const QString &folder, QString *errorText = nullptr) override;
    // Collecting starts by itself at start-up unless the stored text is exactly "False".
    bool autoMode() const;
    bool setAutoMode(bool on, QString *errorText = nullptr);
    BatchCycle::Pace pace() const;
    bool setPace(BatchCycle::Pace pace, QString *errorText = nullptr);
    // 跳过已下载: items whose page is in the downloaded list are not collected again.
    bool skipDownloaded() const;
    bool setSkipDownloaded(bool skip, QString *errorText = nullptr);
    // 同时采集: how many collectors work at once, 1 to BatchCycle::MaxCollectors.
    int collectors() const;
    bool setCollectors(int count, QString *errorText = nullptr);
    // Where the last spreadsheet export went; empty before the first.
    QString exportFolder() const;
    bool setExportFolder(const QString &folder, QString *errorText = nullptr);
    // 上架图's sizes and whether it is made after each item. A number out of
    // its range (edited by hand) reads as its default; the setter refuses
    // one, and writes nothing, with the reason in errorText.
    ListingOptions listingOptions() const;
    bool setListingOptions(const ListingOptions &options, QString *errorText = nullptr);
    // The skin in force: a file name in 皮肤/, empty for the plain look.
    QString skin() const;
    bool setSkin(const QString &fileName, QString *errorText = nullptr);
    // The skin's position in the skin window's list; nothing when none is stored.
    std::optional<int> skinId() const;
    bool setSkinId(std::optional<int> position, QString *errorText = nullptr);

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
