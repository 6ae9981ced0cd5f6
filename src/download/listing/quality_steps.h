#pragma once

#include <QByteArray>

#include <functional>

// A JPEG made to fit a size limit: the quality goes down step by step from
// FirstQuality and never below LeastQuality. A picture that is still too big
// there is kept at LeastQuality and said to be over the limit, never spoiled
// further.
namespace QualitySteps {

inline constexpr int FirstQuality = 90;
inline constexpr int LeastQuality = 70;
inline constexpr int Step = 5;

struct Encoded
{
    QByteArray bytes; // empty when the encoder failed
    int quality = 0;
    bool overLimit = false;
};

// `encode` gives the picture as a JPEG of a quality, or nothing when it fails.
Encoded encodeWithin(qint64 limitBytes, const std::function<QByteArray(int quality)> &encode);

} // namespace QualitySteps
