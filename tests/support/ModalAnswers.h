#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <queue>

// Answers modal windows as they appear, one queued answer each, in order, and
// records what every message box showed. A test queues its answers, then does
// the thing that opens the boxes.
class ModalAnswers : public QObject
{
    Q_OBJECT
public:
    struct Box
    {
        QString caption;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
        QWidget *owner = nullptr;
    };

    ModalAnswers();

    // Presses the box's button with this role or standard button.
    void press(QMessageBox::StandardButton button);
    // Presses the button whose text (without '&') is `text`.
    void pressText(const QString &text);
    // Hands the modal window to `answer`, which must close it.
    void handle(std::function<void(QWidget *)> answer);

    const QList<Box> &boxes() const { return boxes_; }
    int unanswered() const { return int(answers_.size()); }
    // Waits until every queued answer has been given (false on timeout).
    bool waitAllAnswered(int timeoutMs = 5000);

    static QString buttonText(const QAbstractButton *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void poll();

    std::queue<std::function<void(QWidget *)>> answers_;
    QList<Box> boxes_;
};
