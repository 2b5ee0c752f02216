#include "app/THelpWindow.h"

#include "widgets/MessageDlg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

THelpWindow::THelpWindow(const QString& file, UrlOpener openUrl, QWidget* parent)
    : QDialog(parent), m_openUrl(std::move(openUrl))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Nápověda ORV"));
    // A window beside the main one, not a modal dialog: the help stays open
    // while the user works.
    setWindowFlags(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);
    m_browser->setSource(QUrl::fromLocalFile(file));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* external =
        buttons->addButton(QStringLiteral("Otevřít v &prohlížeči"), QDialogButtonBox::ActionRole);
    external->setObjectName(QStringLiteral("OpenInBrowserBtn"));
    buttons->addButton(QStringLiteral("&Zavřít"), QDialogButtonBox::RejectRole);
    connect(external, &QPushButton::clicked, this, &THelpWindow::OpenInBrowserClick);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser);
    layout->addWidget(buttons);
    // A page's width of text, within the screen.
    QSize size(860, 760);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

void THelpWindow::OpenInBrowserClick()
{
    const QUrl page = m_browser->source();
    if (!m_openUrl || !m_openUrl(page))
        ErrorBox(QStringLiteral("Nápovědu %1 nelze otevřít ve webovém prohlížeči")
                     .arg(QDir::toNativeSeparators(page.toLocalFile())));
}
