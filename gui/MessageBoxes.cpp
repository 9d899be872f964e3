#include "MessageBoxes.h"

#include "recordset/Error.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <new>

namespace {

QWidget *activeOwner()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

} // namespace

void MessageBoxes::information(QWidget *owner, const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, owner);
    box.exec();
}

bool MessageBoxes::confirm(const QString &text, const QString &caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No,
                    activeOwner());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxes::error(const std::exception &failure)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), withFullStop(messageOf(failure)),
                    QMessageBox::Ok, activeOwner());
    box.exec();
}

QString MessageBoxes::applicationTitle()
{
    const QString file = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const QString name = file.section(QLatin1Char('.'), 0, 0);
    if (name.isEmpty())
        return name;
    return name.left(1).toUpper() + name.mid(1).toLower();
}

QString MessageBoxes::withFullStop(const QString &text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

QString MessageBoxes::messageOf(const std::exception &failure)
{
    if (const auto *error = dynamic_cast<const Error *>(&failure))
        return error->message();
    if (dynamic_cast<const std::bad_alloc *>(&failure))
        return QStringLiteral("Не хватает памяти для выполнения действия");
    return QString::fromLocal8Bit(failure.what());
}
