#include "select/TParcDialogRunner.h"

#include "widgets/DialogPos.h"
#include "widgets/TWaitCursor.h"
#include "data/CadastralTables.h"
#include "data/ParcelTable.h"
#include "data/WorkTable.h"
#include "select/TParcDialog.h"

struct TParcDialogRunner::Holder
{
    QPointer<TParcDialog> dialog;
    ~Holder() { delete dialog.data(); }
};

TParcDialogRunner::TParcDialogRunner() : m_holder(std::make_shared<Holder>()) {}

TParcDialog* TParcDialogRunner::Dialog() const
{
    return m_holder->dialog.data();
}

TParcDialog& TParcDialogRunner::dialog(QWidget* owner, const std::shared_ptr<IApp>& app) const
{
    if (!m_holder->dialog) {
        m_holder->dialog = new TParcDialog(app, owner);
        if (app)
            RestoreDialogPos(*app, m_holder->dialog);
    }
    return *m_holder->dialog;
}

namespace {
void bindTables(TParcDialog& dlg, const TSelectionContext& ctx)
{
    OpenParcelTable(dlg.TablePa(), ctx.KU.Alias, ctx.KU.Suffix);
    OpenOrCreateWorkTable(dlg.TableParc(), ctx.WorkTable);
}

void closeTables(TParcDialog& dlg)
{
    dlg.TablePa().close();
    dlg.TableParc().close();
}
} // namespace

bool TParcDialogRunner::operator()(QWidget* owner, int selectionType,
                                   const TSelectionContext& ctx) const
{
    TParcDialog& dlg = dialog(owner, ctx.App);
    try {
        {
            TWaitCursor wait(*ctx.App);
            dlg.SetWorkPath(ctx.WorkTable);
            bindTables(dlg, ctx);
        }
        dlg.SetVyber(selectionType);
        bool completed = true;
        if (selectionType == 2) {
            dlg.AllParcels();
        } else {
            dlg.ClearLastFParc();
            dlg.VyberClick();
            completed = dlg.exec() == QDialog::Accepted;
        }
        closeTables(dlg);
        return completed;
    } catch (...) {
        closeTables(dlg);
        throw;
    }
}
