#pragma once

#include "journal/JournalQuery.h"
#include "ui/common/ModalWindow.h"

#include <map>

class JournalModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class Store;

// «Журнал изменений»: the catalogue's changes, newest first, filtered by
// period, part, kind and computer, with the undo of one change or of the
// whole operation it belongs to (a price list, a restore).
class JournalWindow : public ModalWindow
{
    Q_OBJECT
public:
    // With `filter.table` set the list is one row's history, `rowWords`
    // naming the row.
    JournalWindow(QWidget *parent, Store &store, const JournalQuery::Filter &filter = {},
                  const QString &rowWords = {});

    // «Сервис → Журнал изменений…»: every record.
    static void showJournal(QWidget *owner);
    // «Сервис → История запчасти»: the current goods row's records.
    static void showHistory(QWidget *owner);

    QCheckBox *checkFrom, *checkTo, *checkRow;
    QDateEdit *dateFrom, *dateTo;
    QComboBox *cbKind;
    QLineEdit *editText, *editComputer;
    QPushButton *btnFind;
    QTableView *list;
    QLabel *labelCount;
    QPushButton *btnUndo, *btnUndoOperation, *btnClose;
    JournalModel *model;

    // The filter the controls set.
    JournalQuery::Filter filter() const;

    void btnFindClick();
    void btnUndoClick();
    void btnUndoOperationClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createFilters(const QString &rowWords);
    void createList();
    void createButtons();
    void place();
    void updateButtons();
    void updateCount();
    // The selected record, or none (id 0).
    JournalRecord selected() const;
    // Shows the catalogue and the list as the undo left them.
    void afterUndo(qint64 keepSelected);
    void select(qint64 id);
    bool operationHasMore(qint64 operation);
    static void refuseReadOnly();

    Store &store_;
    JournalQuery::Filter rowFilter_; // the one row whose history was asked for
    std::map<qint64, bool> largeOperations_;
};
