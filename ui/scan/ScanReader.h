#pragma once

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <vector>

class QWidget;

// Tells a barcode scanner from the user's typing among the keys that reach
// one window while it is active. A scanner is a keyboard that types a code
// and Enter within a few milliseconds a key: printable keys each at most
// MaxGapMs after the one before, at least MinLength of them, then Enter or
// Return, are a scan. Keys to a widget that has no use for printable
// characters (the grid, the photo box, buttons) are held back while they may
// be a scan and, when they turn out not to be one, handed on in their order.
// Keys to a text field or a list box are never taken for a scan: there each
// key is the user's, seen at once, and a fast typist's burst cannot be told
// from a scan with certainty; taking back text already in a field, or its
// Enter, would be worse than a code typed into it in plain sight.
class ScanReader : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxGapMs = 40;
    static constexpr int MinLength = 4;

    // Watches the application's keys from now on, for `window`, which owns it.
    explicit ScanReader(QWidget *window);

    // True when keys to `widget` may start a scan.
    static bool mayHold(const QWidget *widget);

signals:
    // A scanned code, as typed; emitted from the event loop, after the key
    // that ended it has been dealt with.
    void scanned(const QString &code);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct HeldKey
    {
        QPointer<QWidget> receiver;
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
        quint32 nativeScanCode, nativeVirtualKey, nativeModifiers;
    };

    bool keyPress(QWidget *receiver, const QKeyEvent *key);
    bool keyRelease(const QKeyEvent *key);
    // Milliseconds since the key before; the window system's times where it
    // gives them, so that keys delayed by a busy program keep their gaps.
    qint64 gapSinceLast(const QKeyEvent *key) const;
    void remember(const QKeyEvent *key);
    // Hands the held keys on to their widgets, as if they had just come.
    void handOn();
    // A release whose press was held is held too; at most this many wait.
    void expectRelease(int key);

    QWidget *window_;
    std::vector<HeldKey> held_;
    QString burst_;
    QList<int> releases_; // keys whose release is to be held
    QElapsedTimer clock_;
    qint64 lastAt_ = 0;
    quint64 lastStamp_ = 0;
    QTimer quiet_; // no further key in time: not a scan
    bool handingOn_ = false;
};
