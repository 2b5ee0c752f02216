#pragma once

#include <QString>

// Total physical memory of the computer in bytes (0 when unknown).
quint64 PhysicalMemoryBytes();
// "%d kB": the bytes divided by 1024.
QString PhysicalMemoryText(quint64 bytes);
