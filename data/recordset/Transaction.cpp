#include "Transaction.h"

#include "Connection.h"
#include "Statement.h"

namespace {
constexpr const char *kBeginSql = "BEGIN IMMEDIATE";
constexpr const char *kCommitSql = "COMMIT";
constexpr const char *kRollbackSql = "ROLLBACK";
} // namespace

Transaction::Transaction(Connection &connection) : connection_(connection)
{
    Statement(connection_, kBeginSql).step();
}

Transaction::~Transaction()
{
    if (done_)
        return;
    try {
        Statement(connection_, kRollbackSql).step();
    } catch (...) {
        // The engine rolls back by itself when a statement fails hard; a second
        // failure here leaves nothing more to undo.
    }
}

void Transaction::commit()
{
    Statement(connection_, kCommitSql).step();
    done_ = true;
}
