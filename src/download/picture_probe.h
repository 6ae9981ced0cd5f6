#pragma once

#include <QString>

#include <optional>

// Decodes a saved file as a picture; the item download keeps description
// pictures by their width.
class PictureProbe
{
public:
    virtual ~PictureProbe() = default;
    // Width in pixels, or nothing when the file is missing, empty, truncated
    // or not a picture of an accepted format.
    virtual std::optional<int> pictureWidth(const QString &path) const = 0;
};
