#pragma once

#include "../TableSchema.h"

class ServerConnection;

// The column types a table on the server must have, exactly: keys as
// integer identity columns, integers as integer, texts as varchar(n),
// amounts as numeric(19,4), photos as bytea; a unique column with a unique
// constraint of its own.
class ServerSchema
{
public:
    // The schema with the server's text widths; throws Error naming the
    // table and column that differ.
    static TableSchema verified(ServerConnection &connection, const TableSchema &declared);
};
