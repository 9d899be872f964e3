#pragma once

#include <QString>

class Store;

// Scopes one write: the store's transaction begins at construction and is
// rolled back in the destructor unless commit() ran. A crash in between
// leaves the catalogue as it was before. `road` says how the write was
// made (the goods editor, an import...), for the store's witness.
class Transaction
{
public:
    explicit Transaction(Store &store, const QString &road = {});
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Store &store_;
    bool done_ = false;
};
