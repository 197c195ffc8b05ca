#include "RectTestSupport.h"

#include <QTest>

char* toString(const Rect& r)
{
    return QTest::toString(
        QStringLiteral("(%1, %2, %3, %4)").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom));
}
