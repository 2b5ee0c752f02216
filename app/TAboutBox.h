#pragma once

#include "app/core/IApp.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TAboutBox;
}

// "Co je ORV": product name, version and copyright, the registered user and
// organisation, and the computer's physical memory. Reopens where it was left.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(std::shared_ptr<IApp> app, QWidget* owner = nullptr);
    ~TAboutBox() override;

    QString ProductNameText() const;
    QString VersionText() const;
    QString UserNameText() const;
    QString CompanyText() const;
    QString MemText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();

    std::unique_ptr<Ui::TAboutBox> ui;
    std::shared_ptr<IApp> m_app;
    bool m_shown = false;
};
