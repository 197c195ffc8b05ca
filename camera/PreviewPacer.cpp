#include "camera/PreviewPacer.h"

#include <cmath>

int PreviewPacer::delayMs(qint64 nowNs) const
{
    if (nowNs >= m_nextAllowedNs)
        return 0;
    return int(std::ceil(double(m_nextAllowedNs - nowNs) / 1e6));
}

void PreviewPacer::converted(qint64 startNs, qint64 endNs)
{
    const qint64 took = qMax<qint64>(0, endNs - startNs);
    m_nextAllowedNs = startNs + qint64(double(took) / kCoreShare);
}
