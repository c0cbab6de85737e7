#pragma once

#include "ui/Events.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>

class QLineEdit;
class QMdiArea;
class QPushButton;
class QStackedLayout;
class TCopyDataServer;
class TForm;
class TQuery;
struct TCopyData;

namespace entrance {

// A panel of the category bar: it looks raised or pressed and takes mouse presses. Tab
// reaches it (a mouse press leaves the focus where it is), and Enter or Space on it counts as
// a left-button press.
class TMenuPanel final : public QLabel {
    Q_OBJECT
public:
    TMenuPanel(const QString& caption, QWidget* parent);
    TMouseEvent OnMouseDown;
    // Pressed: white on blue; raised: black on the button face.
    void SetPressed(bool pressed);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// The management program's main window: the category bar on the left, the menu of the
// chosen category in the middle, and the screens the menu opens as MDI children of its area.
// While a screen is open the menu is hidden; the screen shows it again when it closes. The
// window takes the communication program's answers to image reads.
class TmdiMainMenu final : public QMainWindow {
    Q_OBJECT
public:
    TmdiMainMenu();
    ~TmdiMainMenu() override;
    Q_DISABLE_COPY(TmdiMainMenu)

    // How a menu button opens its screen: the screen opened, or null when it was not opened
    // (it closed itself while being created, or the button opens no screen).
    using TOpener = std::function<TForm*(TmdiMainMenu* owner)>;

    QWidget* Panel1;
    QLabel* pnlCampany;
    QLabel* pnlMonth;
    QLabel* pnlVersion;
    QWidget* Panel2;
    TMenuPanel* Panel5;
    TMenuPanel* Panel6;
    TMenuPanel* Panel7;
    TMenuPanel* Panel8;
    TMenuPanel* Panel9;
    TMenuPanel* Panel10;
    QMdiArea* MdiArea;
    QWidget* PanelMDI;
    QLabel* lblVersion;
    QWidget* PanelMain;
    QLabel* LabelMenuName;
    QWidget* pnlMenu1;
    QWidget* pnlMenu2;
    QWidget* pnlMenu3;
    QWidget* pnlMenu4;
    QWidget* pnlMenu5;
    QPushButton* BitBtn18;
    QPushButton* BitBtn2;
    QPushButton* BitBtn13;
    QPushButton* BitBtn19;
    QPushButton* BitBtn21;
    QPushButton* BitBtn9;
    QPushButton* BitBtn5;
    QPushButton* BitBtn11;
    QPushButton* BitBtn23;
    QPushButton* BitBtn25;
    QPushButton* BitBtn10;
    QPushButton* BitBtn20;
    QPushButton* BitBtn6;
    QPushButton* BitBtn1;
    QLineEdit* Edit1;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    std::unique_ptr<TQuery> sqlCompany;

    // Runs the login (`login` shows it and answers its modal result) and, after a good one,
    // the schema upgrade and the business office's settings. False when the login failed or
    // was cancelled: the program ends.
    bool FormCreate(const std::function<int()>& login);

    // The category shown, 1 to 5.
    int Category() const { return FCategory; }
    void SelectCategory(int n);
    void HideMenu();
    void ShowMenu();
    void ReselectCategory(QWidget* control);
    void ShowCompanyName();
    void ShowVersion();
    // A request of another program (WM_COPYDATA).
    void AppMessage(const TCopyData& request);

    // Makes `button` open its screen through `open`: the menu hides first and shows again when
    // the screen was not opened or its creation failed.
    void ConnectMenuButton(QPushButton* button, TOpener open);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    QWidget* CreateCategoryBar();
    QWidget* CreateMenuArea();
    QWidget* AddMenu(int category, const QString& menuName);
    QPushButton* AddButton(QWidget* menu, const QString& caption);
    void FormShow();
    void FormResize();
    void LoadCompany();
    void OpenScreen(const TOpener& open, int category);

    struct TCategoryItem {
        TMenuPanel* Panel = nullptr;
        QWidget* Menu = nullptr;
        QString MenuName;
    };
    // Indexed by category, 1 to 5; 0 is unused.
    std::array<TCategoryItem, 6> FCategories;
    QStackedLayout* FMenuStack = nullptr;
    int FCategory = 1;
    TCopyDataServer* FCopyDataServer;
};

// The caption of the version label: the program's title and "Ver." with the first three
// numbers of `version` (0.0.0 when it has none), followed by two blanks.
QString VersionCaption(const QString& version);

// Connects every menu button to the screen it opens (MenuScreens.cpp).
void ConnectMenuScreens(TmdiMainMenu* menu);

} // namespace entrance
