#include "Unit_tr.h"

#include "ToolPictures.h"
#include "UnitDM.h"
#include "reports/Unit_report_all.h"
#include "reports/Unit_report_selected.h"
#include "ui/backup/BackupCommands.h"
#include "ui/backup/BackupService.h"
#include "gui/BusyPointer.h"
#include "gui/Guarded.h"
#include "gui/MessageBoxes.h"
#include "ui/exchange/ExchangeCommands.h"
#include "ui/goods/Unit_editTovars.h"
#include "ui/journal/JournalKeeper.h"
#include "ui/journal/JournalWindow.h"
#include "ui/labels/LabelCommand.h"
#include "ui/reference/Unit_Category.h"
#include "ui/reference/Unit_country.h"
#include "ui/reference/Unit_marka.h"
#include "ui/scan/CodeSearch.h"
#include "ui/scan/FindCodeDialog.h"
#include "ui/scan/ScanReader.h"
#include "ui/widgets/DBGrid.h"
#include "ui/widgets/DBImage.h"
#include "ui/widgets/FixedHeightDelegate.h"
#include "ui/widgets/MenuShortcuts.h"
#include "ui/widgets/PressToolButton.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#include <shellapi.h>
#endif

TfrmMain *frmMain = nullptr;
QString SortField;
QString SortOrder;
std::vector<std::unique_ptr<TMyIndex>> CatIndexes;
std::vector<std::unique_ptr<TMyIndex>> MarkaIndexes;
std::vector<std::unique_ptr<TMyIndex>> CountryIndexes;

void releaseUnitTrState()
{
    SortField.clear();
    SortOrder.clear();
    CatIndexes.clear();
    MarkaIndexes.clear();
    CountryIndexes.clear();
}

namespace {

// The client area is laid out in absolute pixels, as the window always was.
constexpr int ClientWidth = 991;
constexpr int ClientHeight = 733;
constexpr int ControlBarHeight = 31;

QAction *menuItem(QMenu *menu, const QString &caption, const QKeySequence &shortcut = {},
                  const QIcon &icon = {})
{
    QAction *action = menu->addAction(icon, caption);
    action->setShortcut(shortcut);
    action->setIconVisibleInMenu(!icon.isNull());
    return action;
}

} // namespace

TfrmMain::TfrmMain(QWidget *parent) : QMainWindow(parent), ImageList1(ToolPictures::imageList())
{
    setWindowTitle(QStringLiteral("Программа для учета автомобильных запчастей v1.0"));
    setCentralWidget(new QWidget(this));
    centralWidget()->installEventFilter(this);
    createMenu();
    createToolBar();
    createGoodsArea();
    createSearchPanel();
    setTabOrders();
    resize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    new MenuShortcuts(this, {mnuAdd, mnuEdit, mnuDelete, mnuCategory, mnuMark, mnuCountry});
    Backups = new BackupService(this);
    Keeper = new JournalKeeper(this);
    Keeper->setHold([this] { return Backups->isRunning(); });
    Scanner = new ScanReader(this);
    connect(Scanner, &ScanReader::scanned, this, [this](const QString &code) {
        runGuarded([&] { CodeSearch::showPart(*this, code); });
    });
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::createMenu()
{
    MainMenu1 = menuBar();
    N3 = MainMenu1->addMenu(QStringLiteral("Запчасти"));
    mnuAdd = menuItem(N3, QStringLiteral("Добавить "), Qt::CTRL | Qt::Key_N, ImageList1[4]);
    mnuEdit = menuItem(N3, QStringLiteral("Изменить"), Qt::CTRL | Qt::Key_E, ImageList1[5]);
    mnuDelete = menuItem(N3, QStringLiteral("Удалить"), Qt::Key_Delete, ImageList1[6]);

    N2 = MainMenu1->addMenu(QStringLiteral("Справочники"));
    mnuCategory = menuItem(N2, QStringLiteral("Категории"), Qt::Key_F1, ImageList1[0]);
    mnuMark = menuItem(N2, QStringLiteral("Марки"), Qt::Key_F2, ImageList1[2]);
    mnuCountry = menuItem(N2, QStringLiteral("Страны"), Qt::Key_F3, ImageList1[1]);

    mnuPrint = MainMenu1->addMenu(QStringLiteral("Печать"));
    mnuPrintSelect = menuItem(mnuPrint, QStringLiteral("Печатать выделенную запчасть"), {},
                              ImageList1[3]);
    mnuPrintAll = menuItem(mnuPrint, QStringLiteral("Печатать все найденные запчасти"), {},
                           ImageList1[3]);

    N4 = MainMenu1->addMenu(QStringLiteral("Сортировка"));
    mnuSortKod = menuItem(N4, QStringLiteral("Код товара"));
    N5 = menuItem(N4, QStringLiteral("Категория"));
    N12 = menuItem(N4, QStringLiteral("№ склада"));
    N6 = menuItem(N4, QStringLiteral("Наименование"));
    N15 = menuItem(N4, QStringLiteral("Модель"));
    N14 = menuItem(N4, QStringLiteral("Марка"));
    N11 = menuItem(N4, QStringLiteral("Производитель"));
    N10 = menuItem(N4, QStringLiteral("Количество"));
    N9 = menuItem(N4, QStringLiteral("Цена"));
    N13 = N4->addMenu(QStringLiteral("Порядок сортировки"));
    mnuOrderAsc = menuItem(N13, QStringLiteral("По возрастанию"));
    mnuOrderDesc = menuItem(N13, QStringLiteral("По убыванию"));
    mnuOrderAsc->setCheckable(true);
    mnuOrderDesc->setCheckable(true);
    mnuOrderAsc->setChecked(true);

    // Our own commands, between the sorting and the help.
    mnuService = MainMenu1->addMenu(QStringLiteral("Сервис"));
    mnuExport = menuItem(mnuService, QStringLiteral("Сохранить найденные в таблицу…"));
    mnuImport = menuItem(mnuService, QStringLiteral("Загрузить прайс-лист…"));
    mnuService->addSeparator();
    mnuBackup = menuItem(mnuService, QStringLiteral("Сделать резервную копию"));
    mnuRestore = menuItem(mnuService, QStringLiteral("Восстановить из копии…"));
    mnuService->addSeparator();
    mnuJournal = menuItem(mnuService, QStringLiteral("Журнал изменений…"));
    mnuHistory = menuItem(mnuService, QStringLiteral("История запчасти"));
    mnuService->addSeparator();
    mnuLabels = menuItem(mnuService, QStringLiteral("Печать этикеток…"));
    mnuFindCode = menuItem(mnuService, QStringLiteral("Найти по коду…"));

    N7 = MainMenu1->addMenu(QStringLiteral("Справка"));
    N1 = menuItem(N7, QStringLiteral("О программе"));
    N8 = menuItem(N7, QStringLiteral("Подробное руководство"));
    N8->setVisible(false);

    const auto on = [this](QAction *action, void (TfrmMain::*handler)()) {
        connect(action, &QAction::triggered, this, guarded([this, handler] { (this->*handler)(); }));
    };
    on(mnuAdd, &TfrmMain::mnuAddClick);
    on(mnuEdit, &TfrmMain::mnuEditClick);
    on(mnuDelete, &TfrmMain::mnuDeleteClick);
    on(mnuCategory, &TfrmMain::mnuCategoryClick);
    on(mnuMark, &TfrmMain::mnuMarkClick);
    on(mnuCountry, &TfrmMain::mnuCountryClick);
    on(mnuSortKod, &TfrmMain::mnuSortKodClick);
    on(N5, &TfrmMain::N5Click);
    on(N12, &TfrmMain::N12Click);
    on(N6, &TfrmMain::N6Click);
    on(N15, &TfrmMain::N15Click);
    on(N14, &TfrmMain::N14Click);
    on(N11, &TfrmMain::N11Click);
    on(N10, &TfrmMain::N10Click);
    on(N9, &TfrmMain::N9Click);
    on(mnuOrderAsc, &TfrmMain::mnuOrderAscClick);
    on(mnuOrderDesc, &TfrmMain::mnuOrderDescClick);
    on(mnuPrintSelect, &TfrmMain::mnuPrintSelectClick);
    on(mnuPrintAll, &TfrmMain::mnuPrintAllClick);
    on(mnuExport, &TfrmMain::mnuExportClick);
    on(mnuImport, &TfrmMain::mnuImportClick);
    on(mnuBackup, &TfrmMain::mnuBackupClick);
    on(mnuRestore, &TfrmMain::mnuRestoreClick);
    on(mnuJournal, &TfrmMain::mnuJournalClick);
    on(mnuHistory, &TfrmMain::mnuHistoryClick);
    on(mnuLabels, &TfrmMain::mnuLabelsClick);
    on(mnuFindCode, &TfrmMain::mnuFindCodeClick);
    on(N1, &TfrmMain::N1Click);
    on(N8, &TfrmMain::N8Click);
}

void TfrmMain::createToolBar()
{
    ControlBar1 = new QWidget(centralWidget());
    ControlBar1->setGeometry(0, 0, ClientWidth, ControlBarHeight);
    ToolBar1 = new QWidget(ControlBar1);
    ToolBar1->setGeometry(11, 2, 204, 23);

    const auto button = [this](int left, QAction *item) {
        auto *b = new PressToolButton(ToolBar1);
        b->setDefaultAction(item);
        b->setGeometry(left, 0, 26, 23);
        b->setIconSize(QSize(16, 16));
        return b;
    };
    const auto separator = [this](int left) {
        auto *line = new QFrame(ToolBar1);
        line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        line->setGeometry(left, 2, 8, 19);
        return line;
    };
    ToolBtnTovAdd = button(0, mnuAdd);
    ToolBtnTovEdit = button(26, mnuEdit);
    ToolBtnTovDel = button(52, mnuDelete);
    ToolButton4 = separator(78);
    ToolBtnCat = button(86, mnuCategory);
    ToolBtnMarka = button(112, mnuMark);
    ToolBtnCountry = button(138, mnuCountry);
    ToolButton6 = separator(164);
    ToolBtnPrint = button(172, mnuPrintAll);
}

void TfrmMain::createGoodsArea()
{
    GroupBox1 = new QGroupBox(QStringLiteral("Автозапчасти"), centralWidget());
    GroupBox1->setGeometry(0, ControlBarHeight, ClientWidth, ClientHeight - ControlBarHeight);
    GroupBox1->installEventFilter(this);

    DBImage1 = new DBImage(GroupBox1);
    DBImage1->setGeometry(672, 13, 300, 220);
    DBImage1->setObjectName(QStringLiteral("DBImage1"));

    GroupBox2 = new QGroupBox(QStringLiteral("Отбор данных"), GroupBox1);
    GroupBox2->setGeometry(13, 22, 642, 199);

    gridAuto = new DBGrid(GroupBox1);
    gridAuto->setObjectName(QStringLiteral("gridAuto"));
    gridAuto->setGeometry(10, 244, 981, 451);
    // The hand over the whole grid: titles and indicator too.
    gridAuto->setCursor(Qt::PointingHandCursor);
    connect(gridAuto, &DBGrid::dblClick, this, guarded([this] { gridAutoDblClick(); }));
    gridAuto->OnDrawColumnCell = [this](DBGrid *sender, const QRect &rect, int dataCol,
                                        const GridColumn &column, GridDrawState state) {
        gridAutoDrawColumnCell(sender, rect, dataCol, column, state);
    };
    const Qt::Alignment left = Qt::AlignLeft;
    const Qt::Alignment right = Qt::AlignRight;
    const Qt::Alignment centre = Qt::AlignHCenter;
    gridAuto->setColumns({
        {QStringLiteral("auto_id"), QStringLiteral("Код товара"), 69, left, true},
        {QStringLiteral("strCat"), QStringLiteral("Категория"), 0, left, true},
        {QStringLiteral("numSklad"), QStringLiteral("№ склада"), 0, centre, true},
        {QStringLiteral("tovName"), QStringLiteral("Наименование"), 458, left, true},
        {QStringLiteral("codeTov"), QString(), 0, left, false},
        {QStringLiteral("cat_id"), QString(), 0, right, false},
        {QStringLiteral("models"), QStringLiteral("Модель"), 108, left, true},
        {QStringLiteral("strMarka"), QStringLiteral("Марка"), 93, left, true},
        {QStringLiteral("strCountry"), QStringLiteral("Производитель"), 105, left, true},
        {QStringLiteral("counts"), QStringLiteral("Количество"), 66, centre, true},
        {QStringLiteral("price"), QStringLiteral("Цена"), 77, right, true},
        {QStringLiteral("auto_type"), QString(), 0, right, false},
        {QStringLiteral("country_id"), QString(), 0, right, false},
        {QStringLiteral("screenshots"), QString(), 0, left, false},
    });
}

void TfrmMain::createSearchPanel()
{
    const auto checkBox = [this](const QString &caption, QRect at) {
        auto *box = new QCheckBox(caption, GroupBox2);
        box->setGeometry(at);
        return box;
    };
    // Items of a fixed height, drawn as plain text.
    const auto itemHeight = [](QComboBox *box, int height) {
        box->setItemDelegate(new FixedHeightDelegate(height, box));
    };
    const auto list = [this, itemHeight](QRect at, int height) {
        auto *box = new QComboBox(GroupBox2);
        box->setGeometry(at);
        box->setEnabled(false);
        itemHeight(box, height);
        return box;
    };
    const auto label = [this](const QString &caption, QRect at) {
        auto *l = new QLabel(caption, GroupBox2);
        l->setGeometry(at);
        return l;
    };
    const auto edit = [this](QRect at) {
        auto *e = new QLineEdit(GroupBox2);
        e->setGeometry(at);
        return e;
    };
    const auto operators = [this, itemHeight](QRect at) {
        auto *box = new QComboBox(GroupBox2);
        itemHeight(box, 16);
        box->addItems({QStringLiteral("="), QStringLiteral(">="), QStringLiteral("<="),
                       QStringLiteral("<>")});
        box->setCurrentIndex(0);
        box->setGeometry(at);
        return box;
    };

    checkCat = checkBox(QStringLiteral("Категория"), QRect(9, 19, 97, 17));
    checkMarka = checkBox(QStringLiteral("Марка"), QRect(218, 19, 59, 13));
    checkCountry = checkBox(QStringLiteral("Производитель"), QRect(427, 19, 97, 17));
    cbCat = list(QRect(8, 36, 197, 19), 13);
    cbMarka = list(QRect(217, 36, 197, 22), 16);
    cbCountry = list(QRect(426, 36, 197, 22), 16);
    Label2 = label(QStringLiteral("Наименование:"), QRect(9, 64, 79, 13));
    editTovName = edit(QRect(9, 78, 402, 21));
    Label5 = label(QStringLiteral("Модель:"), QRect(425, 64, 42, 13));
    editModel = edit(QRect(426, 78, 197, 21));
    Label1 = label(QStringLiteral("Стоимость:"), QRect(9, 108, 58, 13));
    cbPrice = operators(QRect(9, 123, 42, 22));
    editPrice = edit(QRect(55, 123, 150, 21));
    Label3 = label(QStringLiteral("№ склада"), QRect(215, 108, 50, 13));
    cbNumSklad = operators(QRect(215, 123, 42, 22));
    editNumSklad = edit(QRect(259, 123, 151, 21));
    Label4 = label(QStringLiteral("Количество"), QRect(423, 108, 59, 13));
    cbCount = operators(QRect(423, 123, 42, 22));
    editCount = edit(QRect(467, 123, 155, 21));
    Button1 = new QPushButton(QStringLiteral("Найти"), GroupBox2);
    Button1->setGeometry(546, 160, 75, 25);
    Button1->setAutoDefault(false);

    // Screen readers announce each field by its label.
    Label2->setBuddy(editTovName);
    Label5->setBuddy(editModel);
    Label1->setBuddy(editPrice);
    Label3->setBuddy(editNumSklad);
    Label4->setBuddy(editCount);
    cbPrice->setAccessibleName(QStringLiteral("Стоимость: условие"));
    cbNumSklad->setAccessibleName(QStringLiteral("№ склада: условие"));
    cbCount->setAccessibleName(QStringLiteral("Количество: условие"));
    cbCat->setAccessibleName(checkCat->text());
    cbMarka->setAccessibleName(checkMarka->text());
    cbCountry->setAccessibleName(checkCountry->text());

    // A check box runs its handler on every change of its tick, also one
    // made from code.
    connect(checkCat, &QCheckBox::toggled, this, guarded([this] { checkCatClick(checkCat); }));
    connect(checkMarka, &QCheckBox::toggled, this,
            guarded([this] { checkMarkaClick(checkMarka); }));
    connect(checkCountry, &QCheckBox::toggled, this,
            guarded([this] { checkCountryClick(checkCountry); }));
    connect(Button1, &QPushButton::clicked, this, guarded([this] { Button1Click(); }));
}

void TfrmMain::setTabOrders()
{
    // Keyboard order inside the search panel, by its tab numbers.
    const QList<QWidget *> panel = {editTovName, checkCat,   checkMarka,   Button1,   cbCountry,
                                    checkCountry, cbMarka,   cbCat,        editPrice, cbNumSklad,
                                    editNumSklad, editCount, cbCount,      editModel, cbPrice};
    for (int i = 0; i + 1 < panel.size(); ++i)
        setTabOrder(panel[i], panel[i + 1]);
    // Within the goods area: the grid, the search panel, the photo box.
    setTabOrder(gridAuto, editTovName);
    setTabOrder(cbPrice, DBImage1);
    // The grid comes first, so it has the focus when the window opens.
    gridAuto->setFocus();
}

void TfrmMain::bindDataModule()
{
    gridAuto->setDataSource(&DMAuto->DSAuto);
    DBImage1->setDataSource(&DMAuto->DSAuto);
    DBImage1->setDataField(QStringLiteral("screenshots"));
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == centralWidget()) {
            const QSize size = centralWidget()->size();
            ControlBar1->setGeometry(0, 0, size.width(), ControlBarHeight);
            GroupBox1->setGeometry(0, ControlBarHeight, size.width(),
                                   size.height() - ControlBarHeight);
        } else if (watched == GroupBox1) {
            // Only the grid follows the window; its margins stay as laid out.
            const QSize size = GroupBox1->size();
            gridAuto->setGeometry(10, 244, size.width() - 10, size.height() - 251);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        runGuarded([this] { FormShow(); });
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // A picture pasted into or cut from the photo box waits in the goods
    // cursor; it is stored before the program ends, and if that fails the
    // user is told and the program ends all the same.
    if (DMAuto && (DMAuto->tblAuto.State() == CursorState::Edit ||
                   DMAuto->tblAuto.State() == CursorState::Insert)) {
        runGuarded([] { DMAuto->tblAuto.Post(); });
    }
    event->accept();
}

// --- the window's own commands ---------------------------------------------

void TfrmMain::FormShow()
{
    mnuSortKodClick();
}

void TfrmMain::N1Click()
{
    MessageBoxes::information(this, QStringLiteral("Программа для учета автомобильных запчастей v1.0"),
                              QStringLiteral("О программе"));
}

void TfrmMain::N8Click()
{
    const QString path =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + QStringLiteral("/DOCS/index.html"));
    if (!QFileInfo::exists(path)) {
        MessageBoxes::information(this,
                                  QStringLiteral("Файл справки ") + QLatin1Char('"') + path +
                                      QLatin1Char('"') + QStringLiteral(" не найден!"),
                                  QStringLiteral("Справочная система"));
        return;
    }
    RunViaComSpec(path);
}

bool RunViaComSpec(const QString &path)
{
#ifdef Q_OS_WIN
    // No fixed buffers: any path length works.
    const std::wstring parameters =
        (QStringLiteral("/c call \"") + path + QStringLiteral("\" >> NUL")).toStdWString();
    const QString comSpec = qEnvironmentVariable("ComSpec");
    if (comSpec.isEmpty())
        return false;
    const std::wstring file = comSpec.toStdWString();
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, nullptr, file.c_str(), parameters.c_str(), nullptr, SW_HIDE));
    return result > 32;
#else
    // The path reaches the shell as its first argument, so quotes, "$(...)"
    // or ";" in a folder name are only characters of a file name.
    return QProcess::startDetached(QStringLiteral("/bin/sh"),
                                   {QStringLiteral("-c"),
                                    QStringLiteral("exec xdg-open \"$1\" >/dev/null 2>&1"),
                                    QStringLiteral("sh"), path});
#endif
}

void TfrmMain::mnuDeleteClick()
{
    if (DMAuto->tblAuto.RecordCount() == 0) {
        MessageBoxes::information(this, QStringLiteral("Отсутствуют данные для модификации"),
                                  QStringLiteral("Сообщение"));
        return;
    }
    if (MessageBoxes::confirm(QStringLiteral("Вы действительно хотите удалить товар?"),
                              QStringLiteral("Удаление")))
        DMAuto->tblAuto.Delete();
}

void TfrmMain::mnuAddClick()
{
    if (!DMAuto->tblAuto.CanModify()) {
        MessageBoxes::information(this, QStringLiteral("Нельзя модифицировать данные"),
                                  QStringLiteral("Ошибка"));
        return;
    }
    DMAuto->tblAuto.Append();
    frmTovarEdit->exec();
}

void TfrmMain::mnuEditClick()
{
    if (DMAuto->tblAuto.RecordCount() == 0) {
        MessageBoxes::information(this, QStringLiteral("Отсутствуют данные для модификации"),
                                  QStringLiteral("Сообщение"));
        return;
    }
    if (!DMAuto->tblAuto.CanModify()) {
        MessageBoxes::information(this, QStringLiteral("Нельзя модифицировать данные"),
                                  QStringLiteral("Ошибка"));
        return;
    }
    DMAuto->tblAuto.Edit();
    frmTovarEdit->exec();
}

void TfrmMain::mnuCategoryClick()
{
    frmCategory->exec();
}

void TfrmMain::mnuMarkClick()
{
    frmMarka->exec();
}

void TfrmMain::mnuCountryClick()
{
    frmCountry->exec();
}

void TfrmMain::mnuExportClick()
{
    ExchangeCommands::exportFound(this, *gridAuto);
}

void TfrmMain::mnuImportClick()
{
    ExchangeCommands::importPriceList(this, *Backups);
}

void TfrmMain::mnuBackupClick()
{
    BackupCommands::makeCopy(this, *Backups);
}

void TfrmMain::mnuRestoreClick()
{
    // The windows show the restored catalogue from its start, whatever the
    // restore ended with: the data module has been opened anew.
    bool replaced = false;
    try {
        replaced = BackupCommands::restore(this, *Backups);
    } catch (...) {
        resetView();
        throw;
    }
    if (replaced)
        resetView();
}

void TfrmMain::mnuJournalClick()
{
    JournalWindow::showJournal(this);
}

void TfrmMain::mnuHistoryClick()
{
    JournalWindow::showHistory(this);
}

void TfrmMain::mnuLabelsClick()
{
    LabelCommand::run(DMAuto->tblAuto, this);
}

void TfrmMain::mnuFindCodeClick()
{
    const QString code = FindCodeDialog::ask(this);
    if (!code.isEmpty())
        CodeSearch::showPart(*this, code);
}

void TfrmMain::resetView()
{
    clearSearch();
    SortOrder.clear();
    mnuOrderAsc->setChecked(true);
    mnuOrderDesc->setChecked(false);
    mnuSortKodClick();
}

void TfrmMain::mnuPrintAllClick()
{
    // The report walks the goods cursor; the grid and the photo box follow
    // only once it is done, to the row where it stopped.
    Cursor &goods = DMAuto->tblAuto;
    goods.DisableControls();
    try {
        TfrmRepAll form; // gone when the preview returns, whatever happens
        form.exec();
    } catch (...) {
        goods.EnableControls();
        throw;
    }
    goods.EnableControls();
}

void TfrmMain::mnuPrintSelectClick()
{
    gridAutoDblClick();
}

void TfrmMain::gridAutoDblClick()
{
    Cursor &goods = DMAuto->tblAuto;
    if (goods.RecordCount() <= 0)
        return;
    const QString savedFilter = goods.Filter();
    const bool savedFiltered = goods.Filtered();
    const QString key = DMAuto->tblAutoauto_id.AsString();
    // The search comes back whatever happens in the preview.
    const auto restore = [&] {
        goods.setFiltered(false);
        goods.setFilter(savedFilter);
        goods.setFiltered(savedFiltered);
        goods.First();
    };
    try {
        goods.setFilter(QStringLiteral("auto_id='") + key + QLatin1Char('\''));
        goods.setFiltered(true);
        TfrmRepSelect form;
        form.exec();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TfrmMain::gridAutoDrawColumnCell(DBGrid *Sender, const QRect &Rect, int DataCol,
                                      const GridColumn &Column, GridDrawState State)
{
    DrawGridCell(Sender, Rect, DataCol, Column, State);
}

// --- sorting -----------------------------------------------------------------

void TfrmMain::sortBy(const QString &field)
{
    SortField = field;
    sortExec();
}

void TfrmMain::mnuSortKodClick() { sortBy(QStringLiteral("auto_id")); }
void TfrmMain::N5Click() { sortBy(QStringLiteral("cat_id")); }
void TfrmMain::N12Click() { sortBy(QStringLiteral("numSklad")); }
void TfrmMain::N6Click() { sortBy(QStringLiteral("tovName")); }
void TfrmMain::N15Click() { sortBy(QStringLiteral("models")); }
void TfrmMain::N14Click() { sortBy(QStringLiteral("auto_type")); }
void TfrmMain::N11Click() { sortBy(QStringLiteral("country_id")); }
void TfrmMain::N10Click() { sortBy(QStringLiteral("counts")); }
void TfrmMain::N9Click() { sortBy(QStringLiteral("price")); }

void TfrmMain::setOrder(const QString &order, QAction *marked, QAction *unmarked)
{
    SortOrder = order;
    marked->setChecked(true);
    unmarked->setChecked(false);
    if (!SortField.isEmpty())
        sortExec();
}

void TfrmMain::mnuOrderAscClick()
{
    setOrder(QStringLiteral(" ASC"), mnuOrderAsc, mnuOrderDesc);
}

void TfrmMain::mnuOrderDescClick()
{
    setOrder(QStringLiteral(" DESC"), mnuOrderDesc, mnuOrderAsc);
}

void TfrmMain::sortExec()
{
    const BusyPointer busy; // the first sort of a large catalogue by a text
    DMAuto->tblAuto.setSort(SortField + SortOrder);
}

// --- the search panel ----------------------------------------------------------

void TfrmMain::fillReferenceList(QCheckBox *box, QComboBox *list, Cursor &cursor, Field &key,
                                 Field &name, std::vector<std::unique_ptr<TMyIndex>> &indexes)
{
    list->clear();
    list->setEnabled(false);
    if (!box->isChecked())
        return;
    const int n = cursor.RecordCount();
    if (n == 0) {
        box->setChecked(false); // runs this handler again, nested, which finds the box unticked
        return;
    }
    // The list is empty now, so the objects of the previous fill can go.
    indexes.clear();
    indexes.resize(size_t(n));
    cursor.First();
    for (int i = 0; i < n; ++i) {
        indexes[size_t(i)] = std::make_unique<TMyIndex>();
        indexes[size_t(i)]->setIndex(qint32(key.AsInteger()));
        list->addItem(name.AsString(), QVariant::fromValue<void *>(indexes[size_t(i)].get()));
        cursor.Next();
    }
    list->setCurrentIndex(0);
    list->setEnabled(true);
}

void TfrmMain::checkCatClick(QCheckBox *Sender)
{
    fillReferenceList(Sender, cbCat, DMAuto->tblCategory, DMAuto->tblCategorycat_id,
                      DMAuto->tblCategorycatName, CatIndexes);
}

void TfrmMain::checkMarkaClick(QCheckBox *Sender)
{
    fillReferenceList(Sender, cbMarka, DMAuto->tblMarka, DMAuto->tblMarkaauto_type,
                      DMAuto->tblMarkaname, MarkaIndexes);
}

void TfrmMain::checkCountryClick(QCheckBox *Sender)
{
    fillReferenceList(Sender, cbCountry, DMAuto->tblCountry, DMAuto->tblCountrycountry_id,
                      DMAuto->tblCountrycountry, CountryIndexes);
}

namespace {

// The key attached to the selected item, in decimal.
QString selectedKey(const QComboBox *list)
{
    const auto *index = static_cast<const TMyIndex *>(list->currentData().value<void *>());
    return QString::number(index ? index->getIndex() : 0);
}

// A quote in the user's text is written twice, so nothing typed can change
// the structure of the filter.
QString quoted(QString text)
{
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

} // namespace

void TfrmMain::Button1Click()
{
    const BusyPointer busy;
    QString F;
    QString S;
    const auto add = [&](const QString &fragment) {
        F += S + fragment;
        S = QStringLiteral(" AND ");
    };
    if (checkCat->isChecked())
        add(QStringLiteral("cat_id='") + selectedKey(cbCat) + QLatin1Char('\''));
    if (checkMarka->isChecked())
        add(QStringLiteral("auto_type='") + selectedKey(cbMarka) + QLatin1Char('\''));
    if (checkCountry->isChecked())
        add(QStringLiteral("country_id='") + selectedKey(cbCountry) + QLatin1Char('\''));
    if (!editTovName->text().isEmpty())
        add(QStringLiteral("tovName LIKE '") + quoted(editTovName->text()) + QStringLiteral("%'"));
    if (!editPrice->text().isEmpty())
        add(QStringLiteral("price") + cbPrice->currentText() + QLatin1Char('\'') +
            quoted(editPrice->text()) + QLatin1Char('\''));
    if (!editNumSklad->text().isEmpty())
        add(QStringLiteral("numSklad") + cbNumSklad->currentText() + QLatin1Char('\'') +
            quoted(editNumSklad->text()) + QLatin1Char('\''));
    if (!editCount->text().isEmpty())
        add(QStringLiteral("counts") + cbCount->currentText() + QLatin1Char('\'') +
            quoted(editCount->text()) + QLatin1Char('\''));
    if (!editModel->text().isEmpty())
        add(QStringLiteral("models LIKE '%") + quoted(editModel->text()) + QStringLiteral("%'"));

    Cursor &goods = DMAuto->tblAuto;
    goods.setFiltered(false);
    if (F.isEmpty())
        return;
    goods.setFilter(F);
    goods.setFiltered(true);
}

void TfrmMain::clearSearch()
{
    for (QCheckBox *box : {checkCat, checkMarka, checkCountry})
        box->setChecked(false);
    for (QLineEdit *edit : {editTovName, editModel, editPrice, editNumSklad, editCount})
        edit->clear();
    for (QComboBox *box : {cbPrice, cbNumSklad, cbCount})
        box->setCurrentIndex(0);
    Button1Click();
}
