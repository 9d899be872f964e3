#pragma once

#include "TestCatalogue.h"
#include "recordset/server/ServerConnection.h"
#include "recordset/server/ServerResult.h"

#include <QCoreApplication>

// An empty schema of the test server for the test's life, and the
// connection string that names it.
struct ServerSchemaScope
{
    explicit ServerSchemaScope(const char *name)
        : schema(QStringLiteral("%1_%2")
                     .arg(QLatin1String(name))
                     .arg(QCoreApplication::applicationPid())),
          target(TestCatalogue::serverConnectionString() +
                 QStringLiteral(" options='-c search_path=%1'").arg(schema))
    {
        admin.execute("DROP SCHEMA IF EXISTS " + schema.toLatin1() + " CASCADE");
        admin.execute("CREATE SCHEMA " + schema.toLatin1());
    }
    ~ServerSchemaScope()
    {
        admin.execute("DROP SCHEMA IF EXISTS " + schema.toLatin1() + " CASCADE");
    }
    ServerSchemaScope(const ServerSchemaScope &) = delete;
    ServerSchemaScope &operator=(const ServerSchemaScope &) = delete;

    ServerConnection admin{TestCatalogue::serverConnectionString()};
    QString schema;
    QString target;
};
