#include "base/SystemMemory.h"

#include <sys/sysinfo.h>

quint64 PhysicalMemoryBytes()
{
    struct sysinfo info = {};
    if (sysinfo(&info) != 0)
        return 0;
    return quint64(info.totalram) * info.mem_unit;
}

QString PhysicalMemoryText(quint64 bytes)
{
    return QStringLiteral("%1 kB").arg(bytes >> 10);
}
