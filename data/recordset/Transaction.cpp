#include "Transaction.h"

#include "Store.h"

Transaction::Transaction(Store &store, const QString &road) : store_(store)
{
    store_.begin();
    if (WriteWitness *witness = store_.witness()) {
        try {
            witness->begun(store_, road);
        } catch (...) {
            store_.rollback();
            throw;
        }
    }
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
    if (WriteWitness *witness = store_.witness())
        witness->committing(store_);
    store_.commit();
    done_ = true;
}
