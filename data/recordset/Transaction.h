#pragma once

class Connection;

// Scopes one write: BEGIN IMMEDIATE at construction (waiting for another
// program's lock up to the busy timeout), ROLLBACK in the destructor unless
// commit() ran. A crash in between leaves the file as it was before.
class Transaction
{
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

private:
    Connection &connection_;
    bool done_ = false;
};
