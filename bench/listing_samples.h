#pragma once

#include <QString>
#include <QStringList>

// The benchmark's items, made by the benchmark: item folders as the download
// leaves them (主图/主图i.ext, 描述图/描述图k.ext), their pictures drawn
// like a product's: photographs (gradients under fine noise) for the main
// pictures; for the description, photographs and lines of text on a light
// ground with plain gaps between blocks. A pool of distinct pictures is
// drawn once; the items' files are hard links into it.
struct SampleRecipe
{
    int items = 20;
    int mainPerItem = 5;  // 600–1600 px a side, JPEG, PNG and WebP in turn
    int descPerItem = 10; // 750–790 px wide, 800–8000 px tall; mostly JPEG, some PNG and WebP
    int descHeight = 0;   // every description picture this tall instead (the tall runs)
    int poolMain = 30;
    int poolDesc = 40;
};

struct SampleSet
{
    QStringList folders; // the items' folders
    int mainPictures = 0;
    int descPictures = 0;
    qint64 descPixels = 0; // summed over every description picture of every item
    QStringList mainFiles; // every item's pictures, for the command-line tool
    QStringList descFiles;
};

SampleSet makeSamples(const QString &root, const SampleRecipe &recipe);
