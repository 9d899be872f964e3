#include "ScanReader.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScopedValueRollback>
#include <QTextEdit>
#include <QWidget>

namespace {

constexpr int MaxWaitingReleases = 64;

bool isEnter(const QKeyEvent *key)
{
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// A character as a scanner types it: no command modifier, nothing but
// printable characters.
bool isPrintable(const QKeyEvent *key)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key->text();
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!c.isPrint())
            return false;
    return true;
}

} // namespace

ScanReader::ScanReader(QWidget *window) : QObject(window), window_(window)
{
    clock_.start();
    quiet_.setSingleShot(true);
    // Twice the gap, so that a key that came in time but waited behind a
    // busy moment of the program is still counted by its own time.
    quiet_.setInterval(2 * MaxGapMs);
    connect(&quiet_, &QTimer::timeout, this, &ScanReader::handOn);
    qApp->installEventFilter(this);
}

bool ScanReader::mayHold(const QWidget *widget)
{
    return !qobject_cast<const QLineEdit *>(widget) && !qobject_cast<const QTextEdit *>(widget) &&
           !qobject_cast<const QPlainTextEdit *>(widget) &&
           !qobject_cast<const QAbstractSpinBox *>(widget) &&
           !qobject_cast<const QComboBox *>(widget);
}

bool ScanReader::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || handingOn_)
        return false;
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != window_ || !window_->isActiveWindow())
        return false;
    // Only the key's first receiver: an unused key travels on to the parents.
    QWidget *focus = QApplication::focusWidget();
    if (widget != (focus ? focus : window_))
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    return type == QEvent::KeyPress ? keyPress(widget, key) : keyRelease(key);
}

bool ScanReader::keyPress(QWidget *receiver, const QKeyEvent *key)
{
    const bool inTime = !held_.empty() && gapSinceLast(key) <= MaxGapMs;
    if (isPrintable(key) && !key->isAutoRepeat() && mayHold(receiver)) {
        if (!held_.empty() && !inTime)
            handOn(); // a slow key before: typed, not scanned
        held_.push_back(HeldKey{receiver, key->key(), key->modifiers(), key->text(),
                                key->nativeScanCode(), key->nativeVirtualKey(),
                                key->nativeModifiers()});
        burst_ += key->text();
        remember(key);
        expectRelease(key->key());
        quiet_.start();
        return true;
    }
    if (isEnter(key) && inTime && burst_.size() >= MinLength) {
        const QString code = burst_;
        held_.clear();
        burst_.clear();
        quiet_.stop();
        expectRelease(key->key());
        // Whatever the scan opens runs after this key's delivery has ended.
        QMetaObject::invokeMethod(
            this, [this, code] { emit scanned(code); }, Qt::QueuedConnection);
        return true;
    }
    // Any other key ends a burst: what was held comes first, then this key.
    handOn();
    return false;
}

bool ScanReader::keyRelease(const QKeyEvent *key)
{
    if (key->isAutoRepeat())
        return false;
    const qsizetype at = releases_.indexOf(key->key());
    if (at < 0)
        return false;
    releases_.removeAt(at);
    return true;
}

qint64 ScanReader::gapSinceLast(const QKeyEvent *key) const
{
    if (key->timestamp() != 0 && lastStamp_ != 0)
        return qint64(key->timestamp()) - qint64(lastStamp_);
    return clock_.elapsed() - lastAt_;
}

void ScanReader::remember(const QKeyEvent *key)
{
    lastAt_ = clock_.elapsed();
    lastStamp_ = key->timestamp();
}

void ScanReader::expectRelease(int key)
{
    releases_.append(key);
    if (releases_.size() > MaxWaitingReleases)
        releases_.removeFirst();
}

void ScanReader::handOn()
{
    quiet_.stop();
    const std::vector<HeldKey> keys = std::move(held_);
    held_.clear();
    burst_.clear();
    const QScopedValueRollback<bool> handingOn(handingOn_, true);
    for (const HeldKey &held : keys) {
        if (!held.receiver)
            continue;
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, held.key, held.modifiers, held.nativeScanCode,
                            held.nativeVirtualKey, held.nativeModifiers, held.text);
            QCoreApplication::sendEvent(held.receiver, &event);
        }
    }
}
