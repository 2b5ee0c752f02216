#pragma once

#include <QString>
#include <functional>

class QDialog;
class QWidget;

// The program's own modal message box: Czech titles and button captions,
// centred on the screen, returning the result number of the pressed button.

enum TMsgDlgType
{
    mtWarning,
    mtError,
    mtInformation,
    mtConfirmation,
    mtCustom
};

enum TMsgDlgBtn : unsigned
{
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
using TMsgDlgButtons = unsigned; // an OR of TMsgDlgBtn

// Results of MessageDlg (the pressed button).
enum TModalResult
{
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// Title of a kind: "Upozornění", "Chyba", "Informace", "Potvrzení"; mtCustom: "ORV".
QString MessageDlgTitle(TMsgDlgType kind);
// Caption of one button ("&Ano", "Storno", ...) and the result it gives (mrNone for Help).
QString MessageDlgButtonCaption(TMsgDlgBtn button);
int MessageDlgButtonResult(TMsgDlgBtn button);

// Shows the box and returns the result of the pressed button. Escape (or
// closing the window) gives the result of Cancel, else No, else OK, whichever
// the box has; the default button is OK, else Yes, else the first one. Help
// does not close the box; it opens the help for `helpContext`.
int MessageDlg(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext = 0);

// Builds the box without running it (for tests and for callers that need the
// widget). The caller owns the dialog; its result() after exec() is the
// TModalResult.
QDialog* CreateMessageDialog(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                             QWidget* parent = nullptr);

// Error box: a full stop is added unless the text already ends with one; sounds
// the error beep; kind error, button OK.
void ErrorBox(const QString& text);
// Information box: the same full-stop rule, kind information, no beep.
void InfoBox(const QString& text);
// The text as ErrorBox and InfoBox show it.
QString WithFullStop(const QString& text);

// Replaces the modal run of every MessageDlg (and so of ErrorBox and InfoBox)
// by a function that receives what would be shown and returns the result.
// Tests use it to answer boxes without a modal loop; pass nullptr to restore.
using MessageDlgInterceptor =
    std::function<int(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons)>;
void SetMessageDlgInterceptor(MessageDlgInterceptor interceptor);

// What the Help button calls; the main window installs the help viewer here.
using MessageDlgHelpHandler = std::function<void(int helpContext)>;
void SetMessageDlgHelpHandler(MessageDlgHelpHandler handler);
