#include "Unit_editTovars.h"

#include "UnitDM.h"
#include "ui/common/Guarded.h"

TfrmTovarEdit *frmTovarEdit = nullptr;

TfrmTovarEdit::TfrmTovarEdit(QWidget *parent)
    : ModalWindow(parent, QStringLiteral("Редактирование товара"), QSize(537, 589))
{
}

void TfrmTovarEdit::done(int result)
{
    runGuarded([this] { FormClose(); });
    ModalWindow::done(result);
}

void TfrmTovarEdit::FormClose()
{
    // Every close, whatever caused it, leaves the goods cursor browsing.
    DMAuto->tblAuto.Cancel();
}
