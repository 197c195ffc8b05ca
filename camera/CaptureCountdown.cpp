#include "camera/CaptureCountdown.h"

QString CaptureCountdown::idleCaption()
{
    return QStringLiteral("5초후 캡쳐");
}

CaptureCountdown::Step CaptureCountdown::tick()
{
    if (m_secondsLeft == 0) {
        reset();
        return {idleCaption(), true};
    }
    const QString caption = QStringLiteral("[ %1 ]").arg(m_secondsLeft);
    --m_secondsLeft;
    return {caption, false};
}
