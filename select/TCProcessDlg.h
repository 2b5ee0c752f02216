#pragma once

#include "select/TProcessDlg.h"

namespace Ui {
class TCProcessDlg;
}

// The progress window with a "Storno" button (also Escape): the caller's loop
// calls Step() once per item and stops when it returns true, which happens
// after the user pressed "Storno" and confirmed "Chcete přerušit operaci?".
class TCProcessDlg : public TProcessDlg
{
    Q_OBJECT

public:
    explicit TCProcessDlg(QWidget* parent = nullptr);
    ~TCProcessDlg() override;

    // Clears the cancel request, sets the total (0 counts as 1) and position 0,
    // shows the caption in the title bar and shows the window without blocking.
    void Start(const QString& caption, int total);
    // Advances by one step; true when the user asked to stop and confirmed it.
    bool Step();
    // Closes the window and gives the other windows back their input.
    void Finish();

    // A centred line above the button (hidden until a text is set).
    void SetInfo(const QString& text);
    bool CancelRequested() const { return m_cancelRequested; }
    // What "Storno" and Escape do: note the request for the next Step().
    void CancelBtnClick();

protected:
    void reject() override;

private:
    std::unique_ptr<Ui::TCProcessDlg> cui;
    bool m_cancelRequested = false;
};
