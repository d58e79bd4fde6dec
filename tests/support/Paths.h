#pragma once
#include <QString>

namespace testpaths {
// The staged program folder of this build (<build>/bin).
inline QString stageDir()
{
    return QStringLiteral(MONITOR_STAGE_DIR);
}
inline QString sourceDir()
{
    return QStringLiteral(MONITOR_SOURCE_DIR);
}
} // namespace testpaths
