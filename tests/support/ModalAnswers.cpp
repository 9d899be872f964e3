#include "ModalAnswers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

ModalAnswers::ModalAnswers()
{
    QTimer::singleShot(5, this, &ModalAnswers::poll);
}

QString ModalAnswers::buttonText(const QAbstractButton *button)
{
    return button->text().remove(QLatin1Char('&'));
}

void ModalAnswers::poll()
{
    // A new timer each time: an answer may open boxes of its own and wait in
    // their loops, and a timer never fires again while its own call runs.
    QTimer::singleShot(5, this, &ModalAnswers::poll);
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal->property("answered").toBool() || answers_.empty())
        return;
    // Marked while it is shown, so that a window shown again (the program
    // keeps its dialogs) is answered again.
    modal->setProperty("answered", true);
    modal->installEventFilter(this);
    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        Box seen;
        seen.caption = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        seen.owner = box->parentWidget();
        for (QAbstractButton *button : box->buttons())
            seen.buttons << buttonText(button);
        boxes_ << seen;
    }
    auto answer = std::move(answers_.front());
    answers_.pop();
    answer(modal);
}

bool ModalAnswers::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Hide) {
        watched->setProperty("answered", QVariant());
        watched->removeEventFilter(this);
    }
    return false;
}

void ModalAnswers::press(QMessageBox::StandardButton button)
{
    handle([button](QWidget *modal) {
        auto *box = qobject_cast<QMessageBox *>(modal);
        QAbstractButton *b = box ? box->button(button) : nullptr;
        if (b)
            b->click();
        else
            modal->close();
    });
}

void ModalAnswers::pressText(const QString &text)
{
    handle([text](QWidget *modal) {
        for (QAbstractButton *b : modal->findChildren<QAbstractButton *>())
            if (buttonText(b) == text) {
                b->click();
                return;
            }
        modal->close();
    });
}

void ModalAnswers::handle(std::function<void(QWidget *)> answer)
{
    answers_.push(std::move(answer));
}

bool ModalAnswers::waitAllAnswered(int timeoutMs)
{
    return QTest::qWaitFor([this] { return answers_.empty(); }, timeoutMs);
}
