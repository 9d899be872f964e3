#pragma once

#include "recordset/Store.h"

#include <QString>
#include <functional>
#include <vector>

class Connection;
class ServerConnection;

// The catalogue's four tables on a database server: made on an empty
// database, and filled from a catalogue file with its keys kept.
class ServerCatalogue
{
public:
    // Makes the tables, in one transaction; refuses (Error) when the
    // database already holds any of them, and changes nothing then.
    static void create(ServerConnection &server);

    // Rows copied so far of all there are.
    using Progress = std::function<void(qint64 done, qint64 total)>;
    // Makes the tables and copies every row of `file` into them, keys and
    // photos included, then moves each key counter past the largest key, so
    // that rows added later never collide. All of it or nothing.
    static void copy(Connection &file, ServerConnection &server, const Progress &progress = {});

    // The steps of a copy, for other sources of rows (which send them with
    // ServerCopyIn); all inside the caller's transaction. The tables,
    // refused when any exists already:
    static void createTables(ServerConnection &server);
    // The key counter set so that the next new row gets `next`:
    static void setNextKey(ServerConnection &server, const TableSchema &table, qint64 next);
};
