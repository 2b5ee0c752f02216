#pragma once

#include <QString>

class IApp;
class ISettings;
class TRegistry;

// Where the switch for hiding birth numbers in outputs (BirthNumberMask)
// comes from: the user's check box in the output options, unless an
// administrator forces it for every user of the machine in the machine file:
//   [HKEY_LOCAL_MACHINE\Software\VELDO\ORV\4.0]
//   "Vystup.SkrytRodnaCisla"=dword:00000001
class OutputMasking
{
public:
    static const QString MachineValueName; // "Vystup.SkrytRodnaCisla" under RegistryKeys::Install
    static const QString UserKey;          // the user's choice in ISettings

    // Whether the machine file forces masking: a dword other than 0. A value
    // of another type forces it too, unlike other settings, whose wrong type
    // reads as their default: failing open would print birth numbers the
    // administrator meant to hide. That is reported once per process through
    // the registry's problems.
    static bool MachineForces(TRegistry& registry);
    // The user's choice (off when never made).
    static bool UserChoice(ISettings& settings);
    static void SetUserChoice(ISettings& settings, bool on);
    // Sets BirthNumberMask's switch from both and returns it.
    static bool Apply(TRegistry& registry, ISettings& settings);
    // The same for the program's application object: its registry and
    // settings (any other IApp: the default registry files).
    static bool MachineForces(const IApp& app);
    static bool Apply(const IApp& app);
    // Why the check box cannot be changed when the machine forces masking.
    static QString ForcedReason();
};
