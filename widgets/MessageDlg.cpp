#include "widgets/MessageDlg.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <array>

namespace {

struct ButtonInfo
{
    TMsgDlgBtn button;
    const char* caption; // UTF-8
    int result;
};

// In the order the buttons appear in the box.
constexpr std::array<ButtonInfo, 11> kButtons{{
    {mbYes, "&Ano", mrYes},
    {mbNo, "&Ne", mrNo},
    {mbOK, "OK", mrOk},
    {mbCancel, "Storno", mrCancel},
    {mbAbort, "&Přerušit", mrAbort},
    {mbRetry, "&Znovu", mrRetry},
    {mbIgnore, "&Ignorovat", mrIgnore},
    {mbAll, "&Všechno", mrAll},
    {mbNoToAll, "Ne &všem", mrNoToAll},
    {mbYesToAll, "Ano &všem", mrYesToAll},
    {mbHelp, "Nápo&věda", mrNone},
}};

MessageDlgInterceptor& interceptor()
{
    static MessageDlgInterceptor instance;
    return instance;
}

MessageDlgHelpHandler& helpHandler()
{
    static MessageDlgHelpHandler instance;
    return instance;
}

QStyle::StandardPixmap iconOf(TMsgDlgType kind)
{
    switch (kind) {
    case mtWarning:
        return QStyle::SP_MessageBoxWarning;
    case mtError:
        return QStyle::SP_MessageBoxCritical;
    case mtInformation:
        return QStyle::SP_MessageBoxInformation;
    case mtConfirmation:
        return QStyle::SP_MessageBoxQuestion;
    case mtCustom:
        break;
    }
    return QStyle::SP_CustomBase;
}

// The button Escape stands for: Cancel, else No, else OK.
int escapeResult(TMsgDlgButtons buttons)
{
    if (buttons & mbCancel)
        return mrCancel;
    if (buttons & mbNo)
        return mrNo;
    return mrOk;
}

TMsgDlgBtn defaultButton(TMsgDlgButtons buttons)
{
    if (buttons & mbOK)
        return mbOK;
    if (buttons & mbYes)
        return mbYes;
    for (const ButtonInfo& b : kButtons) {
        if (buttons & b.button)
            return b.button;
    }
    return mbOK;
}

// A box with no button at all would be impossible to answer: it gets OK.
TMsgDlgButtons usableButtons(TMsgDlgButtons buttons)
{
    return (buttons & ~static_cast<unsigned>(mbHelp)) ? buttons : (buttons | mbOK);
}

class MessageDialog : public QDialog
{
public:
    MessageDialog(TMsgDlgButtons buttons, QWidget* parent)
        : QDialog(parent), m_escape(escapeResult(buttons))
    {
    }

    void reject() override { done(m_escape); }

private:
    int m_escape;
};

void centreOnScreen(QDialog* dialog)
{
    dialog->adjustSize();
    const QScreen* screen = dialog->screen() ? dialog->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    dialog->move(area.x() + (area.width() - dialog->width()) / 2,
                 area.y() + (area.height() - dialog->height()) / 2);
}

} // namespace

QString MessageDlgTitle(TMsgDlgType kind)
{
    switch (kind) {
    case mtWarning:
        return QStringLiteral("Upozornění");
    case mtError:
        return QStringLiteral("Chyba");
    case mtInformation:
        return QStringLiteral("Informace");
    case mtConfirmation:
        return QStringLiteral("Potvrzení");
    case mtCustom:
        break;
    }
    return QStringLiteral("ORV");
}

QString MessageDlgButtonCaption(TMsgDlgBtn button)
{
    for (const ButtonInfo& b : kButtons) {
        if (b.button == button)
            return QString::fromUtf8(b.caption);
    }
    return QString();
}

int MessageDlgButtonResult(TMsgDlgBtn button)
{
    for (const ButtonInfo& b : kButtons) {
        if (b.button == button)
            return b.result;
    }
    return mrNone;
}

QDialog* CreateMessageDialog(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons,
                             QWidget* parent)
{
    buttons = usableButtons(buttons);
    auto* dialog = new MessageDialog(buttons, parent);
    dialog->setObjectName(QStringLiteral("MessageDlg"));
    dialog->setWindowTitle(MessageDlgTitle(kind));
    dialog->setModal(true);

    auto* body = new QHBoxLayout;
    if (kind != mtCustom) {
        auto* icon = new QLabel(dialog);
        const int size =
            dialog->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, dialog);
        icon->setPixmap(
            dialog->style()->standardIcon(iconOf(kind), nullptr, dialog).pixmap(size, size));
        icon->setAlignment(Qt::AlignTop);
        body->addWidget(icon);
    }
    auto* label = new QLabel(text, dialog);
    label->setObjectName(QStringLiteral("Message"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(text.size() > 80);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    body->addWidget(label, 1);

    auto* row = new QHBoxLayout;
    row->addStretch(1);
    const TMsgDlgBtn preferred = defaultButton(buttons);
    for (const ButtonInfo& b : kButtons) {
        if (!(buttons & b.button))
            continue;
        auto* push = new QPushButton(QString::fromUtf8(b.caption), dialog);
        push->setObjectName(QString::fromUtf8(b.caption).remove(QLatin1Char('&')));
        push->setDefault(b.button == preferred);
        push->setAutoDefault(true);
        if (b.button == mbHelp) {
            QObject::connect(push, &QPushButton::clicked, dialog, [dialog] {
                if (helpHandler())
                    helpHandler()(dialog->property("helpContext").toInt());
            });
        } else {
            const int result = b.result;
            QObject::connect(push, &QPushButton::clicked, dialog,
                             [dialog, result] { dialog->done(result); });
        }
        row->addWidget(push);
        if (b.button == preferred)
            push->setFocus();
    }
    row->addStretch(1);

    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(body);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return dialog;
}

int MessageDlg(const QString& text, TMsgDlgType kind, TMsgDlgButtons buttons, int helpContext)
{
    if (interceptor())
        return interceptor()(text, kind, usableButtons(buttons));
    QDialog* dialog = CreateMessageDialog(text, kind, buttons, QApplication::activeWindow());
    dialog->setProperty("helpContext", helpContext);
    centreOnScreen(dialog);
    // The wait cursor of a long command must not hide the box's own pointer.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = dialog->exec();
    QApplication::restoreOverrideCursor();
    delete dialog;
    return result;
}

QString WithFullStop(const QString& text)
{
    return text.endsWith(QLatin1Char('.')) ? text : text + QLatin1Char('.');
}

void ErrorBox(const QString& text)
{
    QApplication::beep();
    MessageDlg(WithFullStop(text), mtError, mbOK);
}

void InfoBox(const QString& text)
{
    MessageDlg(WithFullStop(text), mtInformation, mbOK);
}

void SetMessageDlgInterceptor(MessageDlgInterceptor newInterceptor)
{
    interceptor() = std::move(newInterceptor);
}

void SetMessageDlgHelpHandler(MessageDlgHelpHandler handler)
{
    helpHandler() = std::move(handler);
}
