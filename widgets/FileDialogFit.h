#pragma once

class QFileDialog;

// Makes a non-native Qt file dialog readable: its labels show their
// mnemonics (Qt leaves the folder and file-type labels without a buddy, so
// "&Oblast hledání:" would show the "&"), and the detail columns fit their
// content once a folder is read, the name taking the width that is left, so
// that sizes and dates are never cut.
void FitFileDialog(QFileDialog& dialog);
