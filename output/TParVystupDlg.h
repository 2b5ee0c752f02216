#pragma once

#include "app/core/IApp.h"

#include <QDialog>
#include <memory>

class QButtonGroup;
namespace Ui {
class TParVystupDlg;
}

// "Typ výstupní sestavy": the choice between the short listing, the full
// listing and the printed forms; for listings paging, lines per page and
// output into a text file, for forms the form, preview and copies; and
// whether birth numbers leave masked. It only collects the choice; the caller
// reads it after OK. Closing (OK or Cancel) stores the preview flag, the file
// name and the masking choice under "ParVystupDlg" and sets the masking
// switch (OutputMasking); a machine that forces masking greys the box out.
class TParVystupDlg : public QDialog
{
    Q_OBJECT

public:
    enum ReportType
    {
        ShortListing,
        FullListing,
        Forms
    };

    TParVystupDlg(std::shared_ptr<IApp> app, QWidget* owner = nullptr);
    ~TParVystupDlg() override;

    // Fills the controls from the stored settings and the arguments, shows
    // the dialog modally and returns the modal result.
    int Execute(bool paging, int reportType, int linesPerPage);
    // The same filling without showing (Execute's first part).
    void Prepare(bool paging, int reportType, int linesPerPage);

    // Handlers, named after their control and event.
    void TypSestavyClick(int item);
    void StrankovatClick();
    void CheckBoxFileClick();
    void BrowseBtnClick();

    // The choice, read after OK.
    int ReportTypeChosen() const;
    bool Paging() const;
    int LinesPerPage() const; // 64 when not a number
    bool ToFile() const;
    QString FileName() const;
    bool OpenInEditor() const; // the file-output "Náhled"
    QString FormText() const;
    bool Preview() const;          // the forms-page "Náhled"
    int Copies() const;            // 1 when not a number
    bool MaskBirthNumbers() const; // "Skrýt rodná čísla"

protected:
    void done(int result) override;

private:
    void StoreSettings();
    void PrepareMasking();
    void StoreMasking();

    std::unique_ptr<Ui::TParVystupDlg> ui;
    std::shared_ptr<IApp> m_app;
    QButtonGroup* m_types = nullptr;
};
