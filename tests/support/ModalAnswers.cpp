#include "ModalAnswers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

ModalAnswers::ModalAnswers()
{
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &ModalAnswers::poll);
    timer_.start();
}

QString ModalAnswers::buttonText(const QAbstractButton *button)
{
    return button->text().remove(QLatin1Char('&'));
}

void ModalAnswers::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal->property("answered").toBool() || answers_.empty())
        return;
    modal->setProperty("answered", true);
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
