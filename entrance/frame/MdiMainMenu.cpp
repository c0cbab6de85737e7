#include "MdiMainMenu.h"

#include "base/SysUtils.h"
#include "base/Text.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/common/ResourceStrings.h"
#include "entrance/common/Unit_Common.h"
#include "entrance/data/DataModule1.h"
#include "entrance/frame/ProgramLook.h"
#include "entrance/login/UpgradeDatabase.h"
#include "entrance/persons/ImageReadWait.h"
#include "protocol/CommRequests.h"
#include "ui/Color.h"
#include "ui/CopyData.h"
#include "ui/Form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace entrance {

namespace {

constexpr int CategoryBarWidth = 140;
constexpr int MenuAreaWidth = 560;
constexpr int MenuAreaHeight = 420;
// The top bar is one pixel high: what it holds is kept but not seen.
constexpr int MainTopBarHeight = 1;

} // namespace

TMenuPanel::TMenuPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setLineWidth(2);
    setMinimumHeight(48);
    setFocusPolicy(Qt::TabFocus);
    SetPressed(false);
}

void TMenuPanel::SetPressed(bool pressed) {
    setFrameStyle(QFrame::Panel | (pressed ? QFrame::Sunken : QFrame::Raised));
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(pressed ? clBlue : clBtnFace));
    p.setColor(QPalette::WindowText, ToQColor(pressed ? clWhite : clBlack));
    setPalette(p);
}

void TMenuPanel::mousePressEvent(QMouseEvent* event) {
    if (OnMouseDown)
        OnMouseDown(this, MouseButtonOf(event), ShiftStateOf(event), int(event->position().x()),
                    int(event->position().y()));
}

void TMenuPanel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_Space) {
        QLabel::keyPressEvent(event);
        return;
    }
    if (OnMouseDown)
        OnMouseDown(this, mbLeft, 0, 0, 0);
}

void TMenuPanel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // Dotted in the caption's colour, so that it shows on the raised and the pressed look.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.drawRect(contentsRect().adjusted(3, 3, -4, -4));
}

TmdiMainMenu::TmdiMainMenu() {
    EntranceSession().mdiMainMenu = this;
    setWindowTitle(EntranceCaption);
    CreateControls();
    EntranceSession().MainTopPanel = Panel1;
    SetMainArea(MdiArea);
    ConnectMenuScreens(this);
    FCopyDataServer = new TCopyDataServer(
        EntranceCaption, [this](const TCopyData& request) { AppMessage(request); }, this);
    FCopyDataServer->Start();
}

TmdiMainMenu::~TmdiMainMenu() {
    // The open screens are deleted with the window's children, after its own parts: what they
    // call into the window when they go (the menu given back) must not run then.
    for (TForm* screen : findChildren<TForm*>())
        QObject::disconnect(screen, nullptr, this, nullptr);
}

void TmdiMainMenu::CreateControls() {
    auto* central = new QWidget(this);
    auto* rows = new QVBoxLayout(central);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);

    // The top bar is one pixel high: what it holds is kept but not seen.
    Panel1 = new QWidget(central);
    Panel1->setFixedHeight(MainTopBarHeight);
    pnlCampany = new QLabel(Panel1);
    auto* monthCaption = new QLabel("処 理 月", Panel1);
    pnlMonth = new QLabel(Panel1);
    pnlVersion = new QLabel(Panel1);
    int left = 0;
    for (QLabel* label : {pnlCampany, monthCaption, pnlMonth, pnlVersion}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(left, 0, 200, MainTopBarHeight);
        left += 200;
    }
    rows->addWidget(Panel1);

    auto* body = new QHBoxLayout;
    body->setSpacing(0);
    body->addWidget(CreateCategoryBar());
    auto* client = new QWidget(central);
    auto* stack = new QGridLayout(client);
    stack->setContentsMargins(0, 0, 0, 0);
    MdiArea = new QMdiArea(client);
    stack->addWidget(MdiArea, 0, 0);
    stack->addWidget(CreateMenuArea(), 0, 0);
    PanelMDI->raise();
    body->addWidget(client, 1);
    rows->addLayout(body, 1);

    Edit1 = new QLineEdit(central);
    Edit2 = new QLineEdit(central);
    Edit3 = new QLineEdit(central);
    for (QLineEdit* edit : {Edit1, Edit2, Edit3})
        edit->hide();

    setCentralWidget(central);
    sqlCompany = std::make_unique<TQuery>();
    sqlCompany->SetDatabaseName("RORazu");
}

QWidget* TmdiMainMenu::CreateCategoryBar() {
    Panel2 = new QWidget(this);
    Panel2->setFixedWidth(CategoryBarWidth);
    auto* column = new QVBoxLayout(Panel2);
    column->setContentsMargins(2, 2, 2, 2);
    const struct {
        TMenuPanel* TmdiMainMenu::*Panel;
        const char* Caption;
        int Category;
    } panels[] = {
        {&TmdiMainMenu::Panel5, "入退室管理", 1}, {&TmdiMainMenu::Panel6, "勤怠管理", 2},
        {&TmdiMainMenu::Panel7, "マスタ登録", 3}, {&TmdiMainMenu::Panel8, "メンテナンス", 4},
        {&TmdiMainMenu::Panel9, "各種設定", 5},   {&TmdiMainMenu::Panel10, "システム終了", 0},
    };
    for (const auto& p : panels) {
        auto* panel = new TMenuPanel(p.Caption, Panel2);
        this->*p.Panel = panel;
        column->addWidget(panel);
        const int category = p.Category;
        panel->OnMouseDown = [this, category](QObject*, TMouseButton, TShiftState, int, int) {
            if (category == 0)
                close();
            else
                SelectCategory(category);
        };
        if (category != 0)
            FCategories[category].Panel = panel;
    }
    column->addStretch();
    // The attendance menu belongs to another product.
    Panel6->hide();
    return Panel2;
}

QWidget* TmdiMainMenu::CreateMenuArea() {
    PanelMDI = new QWidget(this);
    PanelMDI->setAutoFillBackground(true);
    PanelMDI->installEventFilter(this);
    lblVersion = new QLabel(PanelMDI);
    lblVersion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    PanelMain = new QWidget(PanelMDI);
    PanelMain->resize(MenuAreaWidth, MenuAreaHeight);
    auto* layout = new QGridLayout(PanelMain);
    auto* title = new QLabel("入退室管理システム", PanelMain);
    QFont big = title->font();
    big.setPointSize(18);
    big.setBold(true);
    title->setFont(big);
    auto* picture = new QLabel(PanelMain);
    picture->setPixmap(EntranceIcon().pixmap(48, 48));
    LabelMenuName = new QLabel(PanelMain);
    layout->addWidget(picture, 0, 0);
    layout->addWidget(title, 0, 1);
    layout->addWidget(LabelMenuName, 1, 1);
    FMenuStack = new QStackedLayout;
    layout->addLayout(FMenuStack, 2, 0, 1, 2);

    pnlMenu1 = AddMenu(1, "入退室管理メニュー");
    BitBtn18 = AddButton(pnlMenu1, "認証機別記録印刷");
    BitBtn2 = AddButton(pnlMenu1, "現在の入退室状況");
    BitBtn13 = AddButton(pnlMenu1, "利用者別記録印刷");
    BitBtn19 = AddButton(pnlMenu1, "部屋別入室状況");
    BitBtn21 = AddButton(pnlMenu1, "部屋別記録印刷");
    pnlMenu2 = AddMenu(2, "勤怠管理メニュー");
    pnlMenu5 = AddMenu(3, "マスタ登録メニュー");
    BitBtn9 = AddButton(pnlMenu5, "部門の登録");
    BitBtn5 = AddButton(pnlMenu5, "事業所の登録");
    BitBtn11 = AddButton(pnlMenu5, "利用者情報の登録");
    pnlMenu4 = AddMenu(4, "メンテナンスメニュー");
    BitBtn23 = AddButton(pnlMenu4, "リストア");
    BitBtn25 = AddButton(pnlMenu4, "バックアップ");
    BitBtn10 = AddButton(pnlMenu4, "オペレーターの登録");
    BitBtn20 = AddButton(pnlMenu4, "過去記録の削除");
    pnlMenu3 = AddMenu(5, "各種設定メニュー");
    BitBtn6 = AddButton(pnlMenu3, "各認証機の設定");
    BitBtn1 = AddButton(pnlMenu3, "部屋の設定");
    return PanelMDI;
}

QWidget* TmdiMainMenu::AddMenu(int category, const QString& menuName) {
    auto* menu = new QWidget(PanelMain);
    auto* column = new QVBoxLayout(menu);
    column->addStretch();
    FMenuStack->addWidget(menu);
    FCategories[category].Menu = menu;
    FCategories[category].MenuName = menuName;
    return menu;
}

QPushButton* TmdiMainMenu::AddButton(QWidget* menu, const QString& caption) {
    auto* button = new QPushButton(caption, menu);
    button->setMinimumHeight(40);
    auto* column = static_cast<QVBoxLayout*>(menu->layout());
    column->insertWidget(column->count() - 1, button);
    return button;
}

bool TmdiMainMenu::FormCreate(const std::function<int()>& login) {
    if (login() != mrOk) {
        if (EntranceSession().DM1)
            EntranceSession().DM1->DB1->Close();
        return false;
    }
    UpgradeDatabase();
    LoadProcessingPeriod();
    LoadCompany();
    ShowCompanyName();
    ShowVersion();
    return true;
}

// The office name goes to the registry, where the reports and ShowCompanyName read it.
void TmdiMainMenu::LoadCompany() {
    sqlCompany->Close();
    sqlCompany->SQL().Assign(
        {"SELECT 処理年度,処理月,事業所名", "FROM M_事業所", "WHERE 事業所コード=1"});
    sqlCompany->Open();
    WriteAppRegistry(LoadStr(65180), sqlCompany->FieldByName("事業所名")->AsString());
    sqlCompany->Close();
}

void TmdiMainMenu::ShowCompanyName() {
    pnlCampany->setText("　事業所名：" + ReadAppRegistry(LoadStr(65180)));
}

QString VersionCaption(const QString& version) {
    return "入退室管理システム　Ver." + VersionNumbers(version) + "  ";
}

void TmdiMainMenu::ShowVersion() {
    lblVersion->setText(VersionCaption(ZZ_VERSION));
}

void TmdiMainMenu::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TmdiMainMenu::FormShow() {
    SelectCategory(1);
    Edit1->setText("パス：" + EntranceSession().DataPath);
    Edit2->setText("REMOTE_PC：" + EntranceSession().RemotePCName);
    Edit3->setText(EntranceSession().NetworkMode ? "ソケット使用中" : "ソケット未使用");
}

void TmdiMainMenu::SelectCategory(int n) {
    Q_ASSERT(n >= 1 && n <= 5);
    FCategory = n;
    PanelMain->show();
    LabelMenuName->setText(FCategories[n].MenuName);
    for (int c = 1; c <= 5; ++c)
        FCategories[c].Panel->SetPressed(c == n);
    FMenuStack->setCurrentWidget(FCategories[n].Menu);
}

void TmdiMainMenu::HideMenu() {
    Panel2->hide();
    PanelMDI->hide();
    PanelMain->hide();
}

void TmdiMainMenu::ShowMenu() {
    Panel2->show();
    PanelMDI->show();
}

void TmdiMainMenu::ReselectCategory(QWidget* control) {
    if (auto* panel = qobject_cast<TMenuPanel*>(control); panel && panel->OnMouseDown)
        panel->OnMouseDown(panel, mbLeft, 0, 0, 0);
    FormResize();
}

void TmdiMainMenu::FormResize() {
    PanelMain->move((PanelMDI->width() - PanelMain->width()) / 2,
                    (PanelMDI->height() - PanelMain->height()) / 2);
    const int height = lblVersion->sizeHint().height();
    lblVersion->setGeometry(0, PanelMDI->height() - height, PanelMDI->width(), height);
}

bool TmdiMainMenu::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PanelMDI && event->type() == QEvent::Resize)
        FormResize();
    return QMainWindow::eventFilter(watched, event);
}

void TmdiMainMenu::ConnectMenuButton(QPushButton* button, TOpener open) {
    int category = 0;
    for (int c = 1; c <= 5; ++c)
        if (FCategories[c].Menu == button->parentWidget())
            category = c;
    Q_ASSERT(category != 0);
    connect(button, &QPushButton::clicked, this,
            [this, open = std::move(open), category] { OpenScreen(open, category); });
}

// A screen that was not opened, or whose creation failed, leaves no hidden menu behind.
void TmdiMainMenu::OpenScreen(const TOpener& open, int category) {
    HideMenu();
    TForm* form = nullptr;
    try {
        form = open(this);
    } catch (...) {
        ShowMenu();
        SelectCategory(category);
        throw;
    }
    if (!form) {
        ShowMenu();
        SelectCategory(category);
    }
}

void TmdiMainMenu::AppMessage(const TCopyData& request) {
    TImageReadWait* wait = TImageReadWait::Current();
    if (!wait || request.Code != CD_READ_IMAGE_REPLY || request.Payload.isEmpty())
        return;
    const int end = request.Payload.indexOf('\0');
    wait->TakeAnswer(FromCP932(end < 0 ? request.Payload : request.Payload.left(end)));
}

void TmdiMainMenu::keyPressEvent(QKeyEvent* event) {
    if (!EnterClicksFocusedButton(this, event))
        QMainWindow::keyPressEvent(event);
}

void TmdiMainMenu::closeEvent(QCloseEvent* event) {
    if (EntranceSession().DM1) {
        EntranceSession().DM1->DB1->Close();
        EntranceSession().DM1->DB2->Close();
    }
    Session().Close();
    if (EntranceSession().SavedAutoDial != -1)
        SetAutoDial(EntranceSession().SavedAutoDial);
    event->accept();
}

} // namespace entrance
