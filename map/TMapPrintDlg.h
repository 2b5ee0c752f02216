#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class IApp;
namespace Ui {
class TMapPrintDlg;
}

// "Tisk mapy": the paper (A4, A3, A5, Letter, Legal), its orientation and
// the scale of a printed map (1:1000, 1:2000, 1:5000 or "Podle stránky"),
// with a line saying how much ground a page shows. The choice is kept per
// user in the settings "Mapa.Papir", "Mapa.Orientace" and "Mapa.Meritko".
class TMapPrintDlg : public QDialog
{
    Q_OBJECT
public:
    struct Choice
    {
        QString paper = QStringLiteral("A4");
        bool landscape = true;
        int scale = 0; // the denominator; 0 fits the view to the page
    };

    TMapPrintDlg(QWidget* parent, const Choice& start);
    ~TMapPrintDlg() override;
    Choice choice() const;

    // The user's last choice (defaults without one); `app` may be null.
    static Choice Stored(IApp* app);
    // Shows the dialog over `choice`; on OK stores and returns the new one.
    static bool Execute(QWidget* parent, IApp* app, Choice& choice);

private:
    void showGround();

    std::unique_ptr<Ui::TMapPrintDlg> ui;
};
