#pragma once

#include <QDialog>
#include <QList>
#include <QPair>
#include <memory>

class QAbstractButton;
class QListWidget;
namespace Ui {
class TFieldsDialog;
}

// "Položky": the user ticks the columns of an export and puts them in order
// by dragging an item onto the place it should take.
class TFieldsDialog : public QDialog
{
    Q_OBJECT

public:
    using Item = QPair<QString, bool>; // caption, ticked

    explicit TFieldsDialog(QWidget* parent = nullptr);
    ~TFieldsDialog() override;

    QListWidget* FieldListBox() const;
    void SetItems(const QList<Item>& items);
    // The items in their current order with their ticks.
    QList<Item> Items() const;

    // The row a drop at `pos` (viewport coordinates) would move the selected
    // item to, or -1 when there is no valid target there.
    int DropTargetAt(const QPoint& pos) const;
    int DropTarget() const { return m_dropTarget; }
    // Moves the selected item to row `target` (the rows between shift by one)
    // and keeps it selected. Nothing happens for an invalid target.
    void DropOn(int target);
    // Both tick buttons: tick every item for SelectAllBtn, untick otherwise.
    void SelectAllBtnClick(QAbstractButton* sender);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setDropTarget(int row);

    std::unique_ptr<Ui::TFieldsDialog> ui;
    int m_dropTarget = -1;
};
