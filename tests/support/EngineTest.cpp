#include "EngineTest.h"

#include "TestCatalogue.h"

#include <QTest>

void EngineTest::initTestCase_data()
{
    TestCatalogue::addEngines();
}

void EngineTest::init()
{
    SKIP_UNLESS_ENGINE_AVAILABLE();
}
