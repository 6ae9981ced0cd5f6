#include "download/listing/quality_steps.h"

namespace QualitySteps {

Encoded encodeWithin(qint64 limitBytes, const std::function<QByteArray(int quality)> &encode)
{
    Encoded result;
    for (int quality = FirstQuality; quality >= LeastQuality; quality -= Step) {
        result.bytes = encode(quality);
        result.quality = quality;
        if (result.bytes.isEmpty() || result.bytes.size() <= limitBytes)
            return result;
    }
    result.overLimit = true;
    return result;
}

} // namespace QualitySteps
