#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QTextBrowser;

// The program's help in a window of its own: the help page in a text browser
// (links between its pages followed inside, web addresses handed to the
// desktop), and "Otevřít v prohlížeči" for the same page in the web browser.
// The help so works where no web browser is installed.
class THelpWindow : public QDialog
{
    Q_OBJECT

public:
    using UrlOpener = std::function<bool(const QUrl& url)>;

    THelpWindow(const QString& file, UrlOpener openUrl, QWidget* parent = nullptr);

    QTextBrowser* Browser() const { return m_browser; }
    // "Otevřít v prohlížeči": the page shown, in the desktop's web browser.
    void OpenInBrowserClick();

private:
    QTextBrowser* m_browser = nullptr;
    UrlOpener m_openUrl;
};
