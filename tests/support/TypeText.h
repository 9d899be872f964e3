#pragma once

#include <QTest>

// Types `text` into `widget` key by key, Cyrillic letters included (QTest's
// own keyClicks knows only Latin letters).
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}
