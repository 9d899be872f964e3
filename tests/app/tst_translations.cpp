#include "GuiTestMain.h"
#include "ModalAnswers.h"

#include "gui/MessageBoxes.h"

// Run with a Russian locale: the application's Yes/No box speaks Russian, as
// the platform's own boxes would.
class TestTranslations : public QObject
{
    Q_OBJECT
private slots:
    void yesNoBoxSpeaksTheUsersLanguage()
    {
        QCOMPARE(QLocale::system().language(), QLocale::Russian);
        ModalAnswers answers;
        answers.press(QMessageBox::No);
        QVERIFY(!MessageBoxes::confirm(QStringLiteral("Вы действительно хотите удалить товар?"),
                                       QStringLiteral("Удаление")));
        QCOMPARE(answers.boxes().value(0).buttons, QStringList({"Да", "Нет"}));
    }
};

AUTOPARTS_GUI_TEST_MAIN(TestTranslations)
#include "tst_translations.moc"
