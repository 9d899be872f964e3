#pragma once

#include <QString>
#include <functional>

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
};
