#include "app/main_window.h"

#include "keeping/ui/keeping_actions.h"
#include "query/ui/qt_text.h"
#include "query/ui/ui_thread.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>

namespace tolvane {

namespace {

const char* const StatusBarName = "状态条1";
const char* const StatusGbkProperty = "gbkText";

// A parcel: the window icon, the tray icon and the pictures of the input panel.
QPixmap ParcelPicture(int size, const QString& caption = {}) {
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 16.0;
    const QRectF box(2 * unit, 4 * unit, 12 * unit, 10 * unit);
    painter.setPen(QPen(QColor(0x6b, 0x42, 0x1b), unit * 0.6));
    painter.setBrush(QColor(0xd9, 0xa0, 0x5b));
    painter.drawRoundedRect(box, unit, unit);
    painter.fillRect(QRectF(7 * unit, 4 * unit, 2 * unit, 10 * unit), QColor(0xf3, 0xe3, 0xc3));
    painter.drawLine(QPointF(2 * unit, 7 * unit), QPointF(14 * unit, 7 * unit));
    if (!caption.isEmpty()) {
        painter.setPen(Qt::black);
        QFont font = painter.font();
        font.setPixelSize(std::max(10, size / 10));
        painter.setFont(font);
        painter.drawText(QRectF(0, 14 * unit, size, 2 * unit), Qt::AlignCenter, caption);
    }
    return picture;
}

template <typename Widget>
Widget* Place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

void DefaultExit() {
    std::fflush(nullptr);
    // Workers may still wait on the service: end now, without running destructors
    // that would pull the window out from under them.
    std::_Exit(0);
}

} // namespace

Text MainWindow::StartUpTip() {
    static const Text tip =
        Gbk("该软件有两个输入延迟的地方，第一个延迟默认是500毫秒 "
            "指的是你输入的单号每个之间的查询间隔时间；第二个是默认300000也就是5分钟，"
            "指的是你自动查询(每隔5分钟自动把所有的单号重新查询一次)的间隔时间，最低设置为5分钟！");
    return tip;
}

Text MainWindow::CloseRefusal() {
    static const Text refusal = Gbk("快递单号还未查询完毕，请稍后退出！");
    return refusal;
}

MainWindow::MainWindow(AppServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
    if (!services_.openLink)
        services_.openLink = [](const QUrl& link) { QDesktopServices::openUrl(link); };
    if (!services_.trayAvailable)
        services_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    if (!services_.exitProgram)
        services_.exitProgram = DefaultExit;

    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Tolvane6.0"));
    setWindowIcon(QIcon(ParcelPicture(64)));
    resize(1179, 471);

    buildControls();
    buildStatusBar();
    buildMenus();
    buildTray();
    fillParts();
    buildRuns();
    auto* keeping = new KeepingActions(parts_, colouring_, this);
    keeping->connectTo(*this);
    if (!services_.startUpImport)
        services_.startUpImport = [keeping](const WindowParts&) { keeping->ImportHistory(); };
    for (const auto& feature : services_.features)
        feature(*this, parts_);
}

MainWindow::~MainWindow() {
    tray_->hide();
}

void MainWindow::buildControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    setCentralWidget(client);

    auto* group = Place(new QGroupBox(QStringLiteral("单号列表（一行一个）"), client), "分组框1", 4,
                        1, 224, 416);
    auto* numberBox = Place(new QPlainTextEdit(group), "编辑框4", 8, 78, 207, 326);
    numberBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    numberBox->setLineWrapMode(QPlainTextEdit::NoWrap);
    numberBox->setContextMenuPolicy(Qt::CustomContextMenu);
    Place(new QLabel(QStringLiteral("延时(毫秒):"), group), "透明标签4", 70, 23, 76, 25);
    Place(new QLineEdit(QStringLiteral("500"), group), "编辑框3", 154, 24, 61, 24);
    Place(new QPushButton(QStringLiteral("查询"), group), "按钮4", 70, 51, 60, 20);
    auto* shape = Place(new QFrame(group), "外形框1", 136, 51, 79, 22);
    shape->setFrameShape(QFrame::Box);
    shape->setFrameShadow(QFrame::Sunken);
    auto* picture = Place(new QLabel(group), "图片框2", 9, 24, 48, 48);
    picture->setPixmap(ParcelPicture(48));
    // A thin bar of finished/total workers stands in for the busy animation.
    auto* progress = Place(new QProgressBar(group), "图片框1", 76, 74, 57, 3);
    progress->setTextVisible(false);
    progress->hide();

    // The check box sits on the shape box of the group; its place is in client terms.
    auto* autoQuery =
        Place(new QCheckBox(QStringLiteral("自动查询"), client), "选择框1", 147, 56, 68, 16);
    autoQuery->raise();

    table_ = new ResultsTable(this);
    table_->setObjectName(QStringLiteral("ResultsTable"));
    auto* view = Place(new QTableView(client), "超级列表框2", 232, 12, 942, 405);
    view->setModel(table_);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(20);
    view->setWordWrap(false);
    for (int column = 0; column < ResultsTable::ColumnCount; ++column)
        view->setColumnWidth(column, ResultsTable::ColumnWidth(column));
    table_->attachView(view);

    auto* busy = Place(new QLabel(client), "图形按钮1", 1035, 286, 136, 136);
    busy->setPixmap(ParcelPicture(136, QStringLiteral("正在查询…")));
    busy->hide();

    const char* const hiddenBoxes[] = {"编辑框1",
                                       "编辑框2",
                                       "编辑框5",
                                       "编辑框6",
                                       "编辑框7",
                                       "编辑框8",
                                       "编辑框_记录是否自动保存查询结果"};
    for (const char* name : hiddenBoxes)
        new TriggerBox(QString::fromUtf8(name), this);

    auto* autoTick = new QTimer(this);
    autoTick->setObjectName(QStringLiteral("时钟1"));
    autoTick->start(20000);
    auto* autoGuard = new QTimer(this);
    autoGuard->setObjectName(QStringLiteral("时钟2"));
    autoGuard->start(1000);
    auto* dockTick = new QTimer(this);
    dockTick->setObjectName(QStringLiteral("时钟3"));
}

void MainWindow::buildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QString::fromUtf8(StatusBarName));
    bar->setSizeGripEnabled(false);
    QFont font = bar->font();
    font.setFamilies({QStringLiteral("幼圆"), QStringLiteral("YouYuan"), font.family()});
    bar->setFont(font);
    const struct {
        const char* text;
        int width;
    } statusParts[] = {
        {"Tolvane：批量查询快递单号的物流状态", 250},
        {"数据来自快递100（kuaidi100.com）", 250},
        {"点击状态栏打开快递100的查询页", 250},
        {"欢迎使用Tolvane！Welcome to use！", 300},
    };
    int index = 0;
    for (const auto& part : statusParts) {
        auto* label = new QLabel(QString::fromUtf8(part.text), bar);
        label->setObjectName(QStringLiteral("状态条1_%1").arg(index++));
        label->setFixedWidth(part.width);
        bar->addWidget(label);
        statusPart3_ = label;
    }
    statusPart3_->setProperty(StatusGbkProperty,
                              QByteArray::fromStdString(Gbk("欢迎使用Tolvane！Welcome to use！")));
    // A press on a part label reaches the bar too: labels ignore mouse presses.
    bar->installEventFilter(this);
    setStatusBar(bar);
}

void MainWindow::buildMenus() {
    const struct {
        const char* name;
        std::vector<const char*> items;
    } menus[] = {
        {"菜单1", {"显示", "退出"}},
        {"菜单2",
         {"导入查询", "重新查询", "复制单号", "复制整行", "保存为TXT", "保存为Excel",
          "添加/修改备注", "删除历史查询记录", "保存历史查询记录"}},
        {"菜单3", {"复制全部", "清空单号"}},
    };
    for (const auto& menuItems : menus) {
        auto* menu = new QMenu(this);
        menu->setObjectName(QString::fromUtf8(menuItems.name));
        menu->setTitle(QString::fromUtf8(menuItems.name));
        for (const char* item : menuItems.items) {
            QAction* action = menu->addAction(QString::fromUtf8(item));
            action->setObjectName(QString::fromUtf8(item));
        }
    }
    auto* view = findChild<QTableView*>(QStringLiteral("超级列表框2"));
    auto* listMenu = findChild<QMenu*>(QStringLiteral("菜单2"));
    connect(view, &QWidget::customContextMenuRequested, this, [view, listMenu](const QPoint& at) {
        if (view->isEnabled())
            listMenu->popup(view->viewport()->mapToGlobal(at));
    });
    auto* numberBox = findChild<QPlainTextEdit*>(QStringLiteral("编辑框4"));
    auto* boxMenu = findChild<QMenu*>(QStringLiteral("菜单3"));
    connect(numberBox, &QWidget::customContextMenuRequested, this,
            [numberBox, boxMenu](const QPoint& at) {
                if (numberBox->isEnabled())
                    boxMenu->popup(numberBox->viewport()->mapToGlobal(at));
            });
}

void MainWindow::buildTray() {
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setObjectName(QStringLiteral("trayIcon"));
    tray_->setToolTip(QStringLiteral("Tolvane6.0"));
    auto* trayMenu = findChild<QMenu*>(QStringLiteral("菜单1"));
    tray_->setContextMenu(trayMenu);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick)
                    restoreFromTray();
            });
    connect(trayMenu->findChild<QAction*>(QStringLiteral("显示")), &QAction::triggered, this,
            &MainWindow::restoreFromTray);
    connect(trayMenu->findChild<QAction*>(QStringLiteral("退出")), &QAction::triggered, this,
            &MainWindow::quitNow);
}

void MainWindow::fillParts() {
    parts_.window = this;
    parts_.table = table_;
    parts_.tableView = findChild<QTableView*>(QStringLiteral("超级列表框2"));
    parts_.prompts = services_.prompts;
    parts_.numberBox = findChild<QPlainTextEdit*>(QStringLiteral("编辑框4"));
    const QPointer<QLabel> label = statusPart3_;
    parts_.setStatusText = [label](const Text& text) {
        RunOnUiThread([&] {
            if (!label)
                return;
            label->setProperty(StatusGbkProperty, QByteArray::fromStdString(text));
            label->setText(ToQString(text));
        });
    };
    parts_.statusText = [label] {
        Text text;
        RunOnUiThread([&] {
            if (label)
                text = label->property(StatusGbkProperty).toByteArray().toStdString();
        });
        return text;
    };
    for (TriggerBox* box : findChildren<TriggerBox*>(Qt::FindDirectChildrenOnly))
        parts_.triggerBoxes[box->objectName().toStdString()] = box;
    parts_.clock = services_.clock;
    parts_.hosts = services_.hosts;
    parts_.runDirectory = services_.runDirectory;
}

void MainWindow::buildRuns() {
    BatchRunSetup setup;
    setup.owner = this;
    setup.table = table_;
    setup.prompts = services_.prompts;
    setup.setStatusText = parts_.setStatusText;
    setup.statusText = parts_.statusText;
    QPlainTextEdit* numberBox = parts_.numberBox;
    setup.numberBoxText = [numberBox] { return NumberBoxText(*numberBox); };
    auto* delayBox = findChild<QLineEdit*>(QStringLiteral("编辑框3"));
    setup.delayText = [delayBox] { return FromQString(delayBox->text()); };
    setup.numberBuffer = parts_.trigger("编辑框1");
    setup.colourTarget = parts_.trigger("编辑框2");
    setup.requeryTarget = parts_.trigger("编辑框7");
    setup.buttonTarget = parts_.trigger("编辑框8");

    auto* view = parts_.tableView;
    colouring_ = new StatusColouring(table_, view, this);
    StatusColouring* colouring = colouring_;
    setup.clearColours = [colouring] { colouring->ClearRowColours(); };
    connect(parts_.trigger("编辑框2"), &TriggerBox::written, colouring_,
            &StatusColouring::ColourByStatus);

    for (QAction* action : findChild<QMenu*>(QStringLiteral("菜单2"))->actions())
        setup.lock.actions.emplace_back(action);
    for (const char* name : {"按钮4", "编辑框3", "编辑框4", "超级列表框2", "状态条1", "选择框1"})
        setup.lock.controls.emplace_back(findChild<QWidget*>(QString::fromUtf8(name)));
    setup.lock.progress = findChild<QProgressBar*>(QStringLiteral("图片框1"));
    setup.lock.busyPicture = findChild<QWidget*>(QStringLiteral("图形按钮1"));
    setup.context.hosts = services_.hosts;
    setup.context.clock = services_.clock;
    setup.runDirectory = services_.runDirectory;

    runs_ = new BatchRuns(std::move(setup), this);
    runs_->setObjectName(QStringLiteral("BatchRuns"));
    BatchRuns* runs = runs_;
    parts_.runActive = [runs] { return runs->runActive(); };
    parts_.startQueryButtonRun = [runs] { runs->QueryButtonClicked(); };
    parts_.startRequeryRun = [runs] { runs->Requery(); };
    const QPointer<BatchRuns> weakRuns(runs_);
    parts_.startRequeryBuffer = [weakRuns] {
        // From another thread the window may already be gone; the run itself
        // re-checks on the UI thread.
        if (OnUiThread()) {
            if (weakRuns)
                weakRuns->RequeryBuffer();
            return;
        }
        PostToUiThread([weakRuns] {
            if (weakRuns)
                weakRuns->RequeryBuffer();
        });
    };

    connect(findChild<QPushButton*>(QStringLiteral("按钮4")), &QPushButton::clicked, runs_,
            &BatchRuns::QueryButtonClicked);
    auto* listMenu = findChild<QMenu*>(QStringLiteral("菜单2"));
    connect(listMenu->findChild<QAction*>(QStringLiteral("导入查询")), &QAction::triggered, runs_,
            &BatchRuns::ImportQuery);
    connect(listMenu->findChild<QAction*>(QStringLiteral("重新查询")), &QAction::triggered, runs_,
            &BatchRuns::Requery);
}

void MainWindow::runStartUp() {
    findChild<QTimer*>(QStringLiteral("时钟3"))->start(10);
    static const Text caption = Gbk("友情提示：");
    services_.prompts->showMessage(
        {StartUpTip(), caption, Prompts::Buttons::Ok, Prompts::Icon::None, this});
    if (services_.startUpImport)
        services_.startUpImport(parts_);
}

void MainWindow::restoreFromTray() {
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    showNormal();
    activateWindow();
    tray_->hide();
}

void MainWindow::quitNow() {
    tray_->hide();
    services_.exitProgram();
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // Without a tray the hidden window could never come back.
    if (!services_.trayAvailable())
        return;
    // Hide once the state change has been handled.
    QTimer::singleShot(0, this, [this] {
        if (!isMinimized())
            return;
        hide();
        tray_->show();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (InFlightCount.load() != 0) {
        services_.prompts->inform(CloseRefusal(), Prompts::Icon::Information, this);
        event->ignore();
        return;
    }
    tray_->hide();
    event->accept();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        auto* bar = statusBar();
        if (watched == bar && bar->isEnabled())
            openContactLinks();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::openContactLinks() {
    services_.openLink(QUrl(QStringLiteral("https://www.kuaidi100.com/")));
    services_.openLink(QUrl(QStringLiteral("https://m.kuaidi100.com/")));
}

} // namespace tolvane
