#include "Application.h"

#include "ui/common/ButtonEnterKey.h"
#include "gui/Guarded.h"
#include "ui/common/ProgramIcon.h"

#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    // The last line of defence: handlers of ours catch their own failures
    // before Qt's code is unwound; anything that still gets here is shown too.
    bool handled = false;
    runGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void Application::configure()
{
    // Every window carries the program's icon; the desktop entry shows the same.
    setWindowIcon(ProgramIcon::icon());
    auto *translator = new QTranslator(qApp);
    if (translator->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);

    // The windows are laid out for an 11-pixel sans font; where the classic
    // one is missing, a sans with Cyrillic letters of the same height stands in.
    QString family = QStringLiteral("MS Sans Serif");
    const QStringList installed = QFontDatabase::families();
    if (!installed.contains(family))
        family = installed.contains(QStringLiteral("Liberation Sans"))
                     ? QStringLiteral("Liberation Sans")
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QFont font(family);
    font.setPixelSize(11);
    QApplication::setFont(font);

    ButtonEnterKey::install();
}
