#include "JetStartup.h"

#include "ConversionProgress.h"
#include "jet/JetCatalogue.h"
#include "jet/JetSignature.h"
#include "gui/MessageBoxes.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

QString JetStartup::question(const QString &catalogue, const QString &kept)
{
    return QStringLiteral("Файл «%1» — каталог запчастей прежнего вида (база данных Microsoft "
                          "Access). Программа работает с каталогом своего формата.\n\n"
                          "Перевести каталог в формат программы? Все товары, цены, фотографии "
                          "и справочники будут перенесены. Исходный файл останется без изменений "
                          "рядом, под именем «%2».")
        .arg(QDir::toNativeSeparators(catalogue), QFileInfo(kept).fileName());
}

void JetStartup::showSummary(const QString &heading, const ConversionSummary &summary,
                             const QString &closing, QWidget *owner)
{
    // A long list would outgrow the screen: the box names the first items,
    // its details hold them all.
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(Caption),
                    heading + QStringLiteral("\n\n") + summary.text(ShownItems) +
                        (closing.isEmpty() ? QString() : QStringLiteral("\n\n") + closing),
                    QMessageBox::Ok, owner);
    const QString all = summary.text();
    if (all != summary.text(ShownItems))
        box.setDetailedText(all);
    box.exec();
}

void JetStartup::offer(const QString &catalogue, const QDate &today)
{
    const JetSignature::Kind kind = JetSignature::ofFile(catalogue);
    if (kind != JetSignature::Kind::Jet3 && kind != JetSignature::Kind::Jet4)
        return;
    const QString caption = QString::fromUtf8(Caption);
    if (!MessageBoxes::confirm(question(catalogue, JetCatalogue::keptName(catalogue, today)),
                               caption))
        return;
    try {
        QString kept;
        const ConversionSummary summary = ConversionProgress::run(
            nullptr, QStringLiteral("Перенос каталога «%1»…").arg(catalogue),
            [&](const JetConversion::Progress &progress) {
                return JetCatalogue::replace(catalogue, &kept, progress, today);
            });
        showSummary(QStringLiteral("Каталог переведён в формат программы."), summary,
                    QStringLiteral("Исходный файл сохранён без изменений под именем «%1».")
                        .arg(QFileInfo(kept).fileName()));
    } catch (const ConversionCancelled &) {
        MessageBoxes::information(nullptr,
                                  QStringLiteral("Перенос каталога остановлен. Файл «%1» не "
                                                 "изменён.")
                                      .arg(catalogue),
                                  caption);
    } catch (const std::exception &failure) {
        MessageBoxes::error(failure);
    }
}
