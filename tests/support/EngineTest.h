#pragma once

#include <QObject>

// A test class whose every test runs twice: on a catalogue file and on a
// catalogue on the server, skipped where the test run names no server.
class EngineTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase_data();
    void init();
};
