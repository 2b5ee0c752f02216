#pragma once

#include <QStringList>

// Hiding birth numbers in the output of a command that prints or writes
// owners: takes "--mask-birth-numbers" and "--no-mask-birth-numbers" out of
// `args` and sets BirthNumberMask's switch. Without either option
// ORV_MASK_BIRTH_NUMBERS=1 turns masking on. The machine file's
// "Vystup.SkrytRodnaCisla" forces it, and "--no-mask-birth-numbers" is then
// refused. Returns why the options cannot be used (a usage error of the
// command), empty when they can.
QString toolApplyMasking(QStringList& args);
