#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class MainForm;
class ProgramParts;

// The README's pictures of the window, taken during a demo run (the hidden
// option --screenshot FILE, with --screenshot-scene NAME).
namespace ScreenshotScenes {

enum class Scene
{
    Batch, // the batch panel open, two items collected, the third under way
    Tabs,  // the marketplace's home page and an item's page in two tabs
    Skin,  // a shipped skin, the batch panel open, the second item under way
    Log,   // the 日志 window over the window, searched for a refusal the strip shows
    Preview, // the 宝贝预览 window over the window, showing the first collected item
    Watch, // the 店铺上新 window over the window after a check of the demo shop and a closed one
    Listing, // the first collected item's 上架图 folder, its files shown with their sizes
};

std::optional<Scene> sceneNamed(const QString &name);
// Whether the demo opens the batch panel for the scene.
bool showsBatchPanel(Scene scene);

// Sets the scene up on the started demo window, then saves the picture to
// `file` and closes the window.
void take(Scene scene, MainForm &form, ProgramParts &core, const QStringList &itemAddresses, const QString &file);

} // namespace ScreenshotScenes
