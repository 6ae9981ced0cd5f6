#pragma once

#include <QLocale>
#include <QStringList>

#include <memory>
#include <vector>

class QTranslator;

// Qt's own texts in Chinese while this object lives: the dialogs' buttons
// ("确定", "取消"), the file dialog, the command line's help and the
// browser's context menu, from Debian's qt6-translations-l10n; and Chinese as
// the default locale. The browser engine's own pages follow the engine's
// language, set among its flags (webEngineArguments).
class ChineseTexts
{
public:
    // After the application exists. A catalogue that is not installed is passed over.
    ChineseTexts();
    ~ChineseTexts();
    ChineseTexts(const ChineseTexts &) = delete;
    ChineseTexts &operator=(const ChineseTexts &) = delete;

    // The catalogues found and installed, e.g. "qtbase_zh_CN".
    QStringList loaded() const { return m_loaded; }

private:
    std::vector<std::unique_ptr<QTranslator>> m_translators;
    QStringList m_loaded;
    QLocale m_previousLocale; // the default before ours, put back at the end
};
