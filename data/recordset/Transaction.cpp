#include "Transaction.h"

#include "Store.h"

Transaction::Transaction(Store &store) : store_(store)
{
    store_.begin();
}

Transaction::~Transaction()
{
    if (done_)
        return;
    try {
        store_.rollback();
    } catch (...) {
        // The engine rolls back by itself when a statement fails hard or the
        // connection is gone; a second failure here leaves nothing to undo.
    }
}

void Transaction::commit()
{
    store_.commit();
    done_ = true;
}
