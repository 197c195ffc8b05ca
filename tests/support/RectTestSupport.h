#pragma once

#include "common/Rect.h"

#include <QMetaType>

// Lets data tables carry a Rect and failed comparisons print one as (left, top, right, bottom).
Q_DECLARE_METATYPE(Rect)

char* toString(const Rect& r);
