#pragma once

#include <QString>
#include <QVariant>

// Birth numbers (rodné číslo) hidden in what leaves the program: printed
// forms, text listings, exports, the clipboard and orv-tool's outputs. A
// person's IDENT is the birth number, which gives the date of birth and the
// sex; an office hands such outputs to people outside it. The windows keep
// showing whole numbers and never ask this class.
//
// An IDENT is hidden when
// - its owner is a person (characteristic UVCHAR 1, 2 or 16), whatever its
//   check digit, unless it is one of the VFK import's surrogates for owners
//   without personal data (they name no one and print as stored); or
// - it is a valid birth number, whatever the characteristic.
// IDENT 0 (no identifier) is never hidden. A hidden IDENT prints as the first
// six digits of the birth number (the date part, leading zeros kept), a slash
// and four asterisks: "010305/****".
class BirthNumberMask
{
public:
    // The characteristic of a caller that does not know it (only a valid
    // birth number is then hidden).
    static constexpr int UnknownCharacteristic = 0;

    // Spouses (1), an entitled natural person (2), spouses under foreign law (16).
    static bool IsPersonCharacteristic(int uvchar);
    // The VFK import gives an owner without personal data an IDENT of 10^11
    // and more (twelve digits at least), beyond every birth number and IČO.
    static bool IsImportSurrogate(double ident);
    // A valid birth number stored as a number. Ten digits (padded, since a
    // number of 2000-2009 lost its leading zero): divisible by 11, or the
    // first nine digits leave 10 and the last digit is 0. Nine digits: a
    // number issued before 1954 (no check digit), else tried padded to ten.
    // The first six digits are a date YYMMDD, the month +50 for women and
    // +20/+70 for numbers issued from 2004. Negative, fractional or longer
    // values are no birth numbers.
    static bool IsBirthNumber(double ident);
    // Whether the rule hides `ident` of an owner with the characteristic.
    static bool Hides(double ident, int uvchar);
    // "YYMMDD/****"; "******/****" for a person's IDENT that is no number of
    // up to ten digits (negative, too long).
    static QString MaskedText(double ident);

    // The switch for outputs, one for the process: off at start, set from
    // the user's output options, the machine setting or orv-tool's options.
    static bool Enabled();
    static void SetEnabled(bool on);

    // The IDENT as outputs print it: masked when the switch is on and the
    // rule hides it, else the whole number ("%.0f").
    static QString Text(double ident, int uvchar);
    // The same as an exported value: the number itself while the switch is
    // off; text while it is on, every IDENT alike, since the column then
    // holds text (an IČO among masked birth numbers).
    static QVariant Value(double ident, int uvchar);
};
