#include "select/TFieldsDialog.h"

#include "ui_TFieldsDialog.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {
// Paints the item the dragged item would land on with a focus rectangle.
class DropTargetDelegate : public QStyledItemDelegate
{
public:
    DropTargetDelegate(const int& target, QObject* parent)
        : QStyledItemDelegate(parent), m_target(target)
    {
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        if (index.row() != m_target)
            return;
        painter->save();
        painter->setPen(QPen(option.palette.text().color(), 1, Qt::DotLine));
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }

private:
    const int& m_target;
};
} // namespace

TFieldsDialog::TFieldsDialog(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TFieldsDialog>())
{
    ui->setupUi(this);
    ui->FieldListBox->setItemDelegate(new DropTargetDelegate(m_dropTarget, this));
    ui->FieldListBox->viewport()->installEventFilter(this);
    connect(ui->OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->SelectAllBtn, &QPushButton::clicked, this,
            [this] { SelectAllBtnClick(ui->SelectAllBtn); });
    connect(ui->UnselectAllBtn, &QPushButton::clicked, this,
            [this] { SelectAllBtnClick(ui->UnselectAllBtn); });
}

TFieldsDialog::~TFieldsDialog() = default;

QListWidget* TFieldsDialog::FieldListBox() const
{
    return ui->FieldListBox;
}

void TFieldsDialog::SetItems(const QList<Item>& items)
{
    ui->FieldListBox->clear();
    for (const Item& item : items) {
        auto* row = new QListWidgetItem(item.first, ui->FieldListBox);
        row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                      Qt::ItemIsDragEnabled);
        row->setCheckState(item.second ? Qt::Checked : Qt::Unchecked);
    }
}

QList<TFieldsDialog::Item> TFieldsDialog::Items() const
{
    QList<Item> items;
    for (int i = 0; i < ui->FieldListBox->count(); ++i) {
        const QListWidgetItem* row = ui->FieldListBox->item(i);
        items.append({row->text(), row->checkState() == Qt::Checked});
    }
    return items;
}

int TFieldsDialog::DropTargetAt(const QPoint& pos) const
{
    const int row = ui->FieldListBox->indexAt(pos).row();
    const int selected = ui->FieldListBox->currentRow();
    const bool hasSelection = selected >= 0 && ui->FieldListBox->item(selected)->isSelected();
    if (row < 0 || !hasSelection || row == selected)
        return -1;
    return row;
}

void TFieldsDialog::DropOn(int target)
{
    QListWidget* list = ui->FieldListBox;
    const int selected = list->currentRow();
    if (target < 0 || target >= list->count() || selected < 0 || target == selected)
        return;
    QListWidgetItem* item = list->takeItem(selected);
    list->insertItem(target, item);
    list->setCurrentRow(target);
}

void TFieldsDialog::SelectAllBtnClick(QAbstractButton* sender)
{
    const Qt::CheckState state = sender == ui->SelectAllBtn ? Qt::Checked : Qt::Unchecked;
    for (int i = 0; i < ui->FieldListBox->count(); ++i)
        ui->FieldListBox->item(i)->setCheckState(state);
}

void TFieldsDialog::setDropTarget(int row)
{
    if (row == m_dropTarget)
        return;
    m_dropTarget = row;
    ui->FieldListBox->viewport()->update();
}

bool TFieldsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui->FieldListBox->viewport())
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (drag->source() != ui->FieldListBox)
            return false;
        const int target = DropTargetAt(drag->position().toPoint());
        setDropTarget(target);
        // Accepted everywhere over the list so that the drag goes on; only a
        // valid target moves anything.
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::DragLeave:
        setDropTarget(-1);
        return false;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const int target = DropTargetAt(drop->position().toPoint());
        setDropTarget(-1);
        // Copy, not move: the list itself reorders, the view must not remove
        // the dragged row afterwards.
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        DropOn(target);
        return true;
    }
    default:
        return false;
    }
}
