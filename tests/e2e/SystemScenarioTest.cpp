#include "CommProcess.h"
#include "tests/entrance/LogInFixture.h"
#include "tests/entrance/reports/ReportRun.h"

#include "base/DateTime.h"
#include "base/Registry.h"
#include "components/grids/MOStringGrid.h"
#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/data/DataModule3.h"
#include "entrance/data/Unit_Entrance.h"
#include "entrance/data/Unit_Users.h"
#include "entrance/liveviews/Form_EntranceGroupNowViewList.h"
#include "entrance/liveviews/Form_EntranceNowView.h"
#include "entrance/liveviews/Frame_EntranceGroupNowView.h"
#include "entrance/maintenance/Form_CategorySetup.h"
#include "entrance/maintenance/Form_LogDelete.h"
#include "entrance/persons/Form_EntranceUser.h"
#include "entrance/persons/Form_UserEntry.h"
#include "entrance/reports/records/Report_UserEntranceLog.h"
#include "entrance/reports/rooms/Report_RoomLogView.h"
#include "entrance/reports/totals/Report_EntranceDayLogTotal.h"
#include "entrance/reports/totals/Report_EntranceMonthLogTotal.h"
#include "entrance/rooms/Form_EntranceGroupSetup.h"
#include "entrance/rooms/Form_EntranceGroupSetup_Sub0.h"
#include "entrance/units/Form_EntranceItemSetup.h"
#include "entrance/units/Form_EntranceItemSetup_Sub0.h"
#include "protocol/CommRequests.h"
#include "tools/unitsim/UnitSimulator.h"
#include "ui/CopyData.h"

#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

using namespace entrance;

namespace {

constexpr int WaitMs = 30000;

// Runs `act` on the next modal dialog of type T once it shows.
template <class T> void OnModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

// One operator's day on a new data folder: the communication program runs as a process on
// three simulated units; the management program's screens run in this process, on the same
// folder, after a real login.
class SystemScenarioTest : public LogInFixture {
protected:
    TempFolder Runtime;
    TUnitSimulator Sim{3};
    QProcess Comm;
    std::unique_ptr<TDM3> Module3;

    void SetUp() override {
        qputenv("XDG_RUNTIME_DIR", Runtime.Path().toLocal8Bit());
        qputenv("ZEZODUZU_REGISTRY", Runtime.File("registry.ini").toLocal8Bit());
        LogInFixture::SetUp();
        ASSERT_TRUE(Sim.OpenPty());
        Sim.Start();
        UseUnitsOnCom1(Sim);
        AtTestPace(Comm);
        ASSERT_TRUE(StartCommProgram(Comm, Temp.Path(), WaitMs));
        Module3 = std::make_unique<TDM3>();
        EntranceSession().DM3 = Module3.get();
    }
    void TearDown() override {
        EntranceSession().DM3 = nullptr;
        Module3.reset();
        Comm.kill();
        Comm.waitForFinished(5000);
        Sim.Stop();
        LogInFixture::TearDown();
    }

    QStringList Rows(const QString& sql) { return Column(Temp.Path(), sql); }
    QStringList TableRows(const QString& sql) {
        try {
            auto c = SqlConnection::OpenFolder(Temp.Path());
            auto st = c->Prepare(sql);
            QStringList rows;
            while (st->Step())
                rows << st->Value(0).toString();
            return rows;
        } catch (const Exception&) {
            return {};
        }
    }
    QString LogTable() const { return QDate::currentDate().toString("'ENTRANCE_LOG'yyyy_MM"); }

    // The report of `global` over the period for the subject (mode 0 all, 1 a person or unit,
    // 2 a room), printed to PDF: the text of its pages.
    template <class T>
    QStringList PrintPeriod(QPointer<T>& global, int mode, const QString& code, TDateTime start,
                            TDateTime end, const QString& name) {
        const TLogReportRequest request{{start, end}, mode, code};
        TEntrance units;
        TUsers users;
        users.Load(nullptr, 0);
        const TReportRun run = RunReportBy(
            [&] {
                OpenReport(global, nullptr,
                           [&](T& report) { report.Execute(request, units, users); });
            },
            name);
        return run.Printed.value(0);
    }

    void AddDepartment(TfrmCategorySetup* form, const QString& code, const QString& name) {
        form->BitBtn2->click();
        form->Ed_Code->setText(code);
        form->Ed_Name->setText(name);
        EXPECT_TRUE(form->btnOKClick()) << name.toStdString();
    }
    // A room of the units now first in the dialog's list of free units.
    void AddRoom(TfrmEntranceGroupSetup* form, const QString& name, int units) {
        OnModal<TfrmEntranceGroupSetup_Sub0>([name, units](TfrmEntranceGroupSetup_Sub0* d) {
            for (int i = 0; i < units; ++i) {
                d->EntGrid->SetRow(1);
                d->btnInsert->click();
            }
            d->Ed_Name->setText(name);
            d->btnOK->click();
        });
        form->btnAddNew->click();
    }
    void ChooseCode(TfrmUserEntry* form, const QString& code) {
        for (int r = 1; r < form->UserGrid->RowCount(); ++r)
            if (form->UserGrid->Cells(0, r) == code)
                form->UserGrid->SetRow(r);
        form->btnEditClick();
        ASSERT_EQ(form->GetCurrentUserCode(), code);
    }
    void AddPerson(TfrmUserEntry* form, const QString& code, const QString& name,
                   const QString& department, const QStringList& ticks) {
        form->btnNewClick();
        form->Ed_Code->setText(code);
        form->Ed_Name->setText(name);
        form->Ed_Category->setText(department);
        form->btnOK->click();
        ChooseCode(form, code);
        OnModal<TfrmEntranceUser>([ticks](TfrmEntranceUser* dialog) {
            for (int r = 0; r < ticks.size(); ++r)
                dialog->EntGrid->SetCells(2, r + 1, ticks[r]);
            dialog->btnOK->click();
        });
        form->btnEntrance->click();
    }
};

// A room tile's entries, exits and persons in the room.
QString TileText(TfrmEntranceGroupNowViewList* list, int room) {
    const TframEntranceGroupNowView* tile = list->Tiles().value(room);
    return tile ? QStringList{tile->Ed_LogINs->text(), tile->Ed_LogOUTs->text(),
                              tile->Ed_NowIN->text()}
                      .join(' ')
                : QString();
}

// A totals report's grand totals: the last number of its last four count lines (entries,
// exits, errors, all).
QStringList GrandTotals(const QString& page) {
    QStringList totals;
    for (const QString& line : page.split('\n'))
        if (QRegularExpression(R"(^\s*(入|退|エ|計)\s)").match(line).hasMatch())
            totals << line.split(' ', Qt::SkipEmptyParts).last();
    return totals.mid(totals.size() - 4);
}

} // namespace

TEST_F(SystemScenarioTest, AnOperatorsDayFromAnEmptyFolder) {
    QStringList texts;
    TMessageAnswers answers(texts, QMessageBox::Ok);

    // The first start registers the administrator; he logs in.
    auto login = NewLogIn();
    ASSERT_TRUE(login->RegistrationMode());
    ASSERT_TRUE(Attempt(*login, login->LocalPCName(), "管理者", "pw", "pw"))
        << Messages.join('|').toStdString();
    EXPECT_EQ(EntranceSession().CurrentOperator.Rank, 0);

    // The communication program finds the three units.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Sim.IsRunning(3); }, WaitMs));
    EXPECT_EQ(TableRows("SELECT count(*) FROM entranceState WHERE 作動状況"), QStringList{"3"});

    // The operator names the three units.
    auto* units = OpenMdiChild(EntranceSession().frmEntranceItemSetup);
    ASSERT_TRUE(units);
    const QStringList unitNames{"正面玄関", "通用口", "サーバー室"};
    for (int row = 1; row <= 3; ++row) {
        units->StringGridEx1->SetRow(row);
        OnModal<TfrmEntranceItemSetup_Sub0>([name = unitNames[row - 1]](auto* dialog) {
            dialog->EditName->selectAll();
            dialog->EditName->insert(name); // typed: the dialog writes what was typed
            dialog->BitBtnOK->click();
        });
        units->BitBtnEdit->click();
    }
    units->close();
    EXPECT_EQ(TableRows("SELECT 認証機名 FROM entranceState ORDER BY 認証機ID"), unitNames);

    // Departments, then two rooms: units 1 and 2, and unit 3.
    auto* departments = OpenMdiChild(EntranceSession().frmCategorySetup);
    AddDepartment(departments, "1", "総務部");
    AddDepartment(departments, "2", "開発部");
    departments->close();
    auto* rooms = OpenMdiChild(EntranceSession().frmEntranceGroupSetup);
    ASSERT_TRUE(rooms);
    AddRoom(rooms, "事務所", 2);
    AddRoom(rooms, "サーバー室", 1);
    rooms->close();
    EXPECT_EQ(
        Rows("SELECT 認証機グループ名||':'||認証機ID FROM M_認証機グループ ORDER BY 認証機ID"),
        (QStringList{"事務所:1", "事務所:2", "サーバー室:3"}));

    // Two persons with their departments and the units each may use.
    auto* persons = OpenMdiChild(EntranceSession().frmUserEntry);
    ASSERT_TRUE(persons);
    AddPerson(persons, "0001", "山田", "1", {"1", "1", "1"});
    AddPerson(persons, "0002", "佐藤", "2", {"1", "1", "0"});
    EXPECT_EQ(Rows("SELECT 個人コード||':'||部門コード FROM M_個人情報 ORDER BY 1"),
              (QStringList{"0001:1", "0002:2"}));
    EXPECT_EQ(Rows("SELECT count(*) FROM M_使用認証機"), QStringList{"5"});

    // Each enrols at unit 1: the communication program spreads the images to their other units.
    Sim.Enrol(1, "0001");
    Sim.Enrol(1, "0002");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return Sim.HasPerson(2, "0001") && Sim.HasPerson(3, "0001") && Sim.HasPerson(2, "0002");
        },
        WaitMs));
    EXPECT_FALSE(Sim.HasPerson(3, "0002"));

    // Entries, an exit and a refused finger.
    auto* tiles = new TfrmEntranceGroupNowViewList(nullptr);
    Sim.AddLogRecord(1, OpFirstEntry, 1, "0001");
    Sim.AddLogRecord(2, OpFirstEntry, 1, "0002");
    Sim.AddLogRecord(3, OpFirstEntry, 0, "0002");
    Sim.AddLogRecord(3, OpFirstEntry, 1, "0001");
    Sim.AddLogRecord(2, OpLastExit, 1, "0002");
    const auto shown = [tiles](int room) { return TileText(tiles, room); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(0) == "2 1 1" && shown(1) == "1 0 1"; }, WaitMs))
        << shown(0).toStdString() << " / " << shown(1).toStdString();
    tiles->grab().save(TestOutputFolder() + "/SystemScenario_rooms.png");
    delete tiles;

    // The live view by person: 佐藤's day.
    auto* now = OpenMdiChild(EntranceSession().frmEntranceNowView);
    ASSERT_TRUE(now);
    now->LoadLogGrid("0002");
    EXPECT_EQ(
        QStringList({now->pnlUserName->text(), now->pnlINorOUT->text(), now->pnlINCount->text(),
                     now->pnlOUTCount->text(), now->pnlErrorCount->text()})
            .join('|'),
        QString("佐藤|終退室|1|1|1"));
    now->grab().save(TestOutputFolder() + "/SystemScenario_NowView.png");
    now->close();

    // The record report by person lists only his records.
    const QString records = PrintPeriod(EntranceSession().Rep_UserEntranceLog, 1, "0002", Date(),
                                        Date(), "SystemScenario_UserRecords")
                                .join('\f');
    EXPECT_TRUE(Unspaced(records).contains("認証数3認証率67%エラー数1入室数1退室数1"))
        << records.toStdString();
    EXPECT_FALSE(records.contains("山田")) << records.toStdString();

    // The room stay report of the office: both came in, 佐藤 left.
    const QString stays = PrintPeriod(EntranceSession().Rep_RoomLogView, 2, "1", Date(), Date(),
                                      "SystemScenario_RoomStays")
                              .join('\f');
    EXPECT_TRUE(Unspaced(stays).contains("部屋名:事務所")) << stays.toStdString();
    EXPECT_TRUE(Unspaced(stays).contains("0001山田正面玄関")) << stays.toStdString();
    EXPECT_EQ(Unspaced(stays).count("通用口"), 2) << "佐藤 in and out at unit 2";
    EXPECT_FALSE(stays.contains("サーバー室")) << "another room and its unit";

    // The day totals by unit print what the units reported.
    const QStringList dayTotals = PrintPeriod(EntranceSession().Rep_EntranceDayLogTotal, 0, "",
                                              Date(), Date(), "SystemScenario_DayTotals");
    ASSERT_EQ(dayTotals.size(), 1);
    EXPECT_EQ(GrandTotals(dayTotals[0]), (QStringList{"3", "1", "1", "5"}))
        << dayTotals[0].toStdString();

    // A deleted person leaves the units.
    ChooseCode(persons, "0002");
    persons->btnDel->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !Sim.HasPerson(1, "0002") && !Sim.HasPerson(2, "0002"); }, WaitMs));
    EXPECT_EQ(Rows("SELECT 個人コード FROM M_個人情報"), QStringList{"0001"});
    persons->close();

    // The month totals count the same records.
    int year, month, day;
    DecodeDate(Date(), year, month, day);
    const QStringList monthTotals = PrintPeriod(
        EntranceSession().Rep_EntranceMonthLogTotal, 0, "", EncodeDate(year, month, 1),
        EncodeDate(year, month, QDate(year, month, 1).daysInMonth()), "SystemScenario_MonthTotals");
    ASSERT_FALSE(monthTotals.isEmpty());
    EXPECT_EQ(GrandTotals(monthTotals.last()), (QStringList{"3", "1", "1", "5"}))
        << monthTotals.last().toStdString();

    // Old months go; the current one stays.
    const QString old = QDate::currentDate().addMonths(-6).toString("'ENTRANCE_LOG'yyyy_MM");
    SqlConnection::OpenFolder(Temp.Path())->Execute("CREATE TABLE " + old + " (a SHORT)");
    auto* logs = OpenMdiChild(EntranceSession().frmLogDelete);
    logs->btnOK->click();
    EXPECT_FALSE(QFile::exists(Temp.File(old + ".DB")));
    EXPECT_TRUE(QFile::exists(Temp.File(LogTable() + ".DB")));
    logs->close();
    EXPECT_TRUE(texts.contains("終了しました。")) << texts.join('|').toStdString();

    // A management program logged in over the network (loopback) sees the same tiles, and
    // follows the next record. Where Samba shares the folder, the share maps back to it here.
    TRegistry mounts;
    mounts.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    mounts.OpenKey(MountsRegistryKey, true);
    mounts.WriteString("//" + QHostInfo::localHostName() + "/Zezoduzu", Temp.Path());
    auto remote = NewLogIn();
    remote->NetworkPresent = true;
    ASSERT_TRUE(Attempt(*remote, "127.0.0.1", "管理者", "pw")) << Messages.join('|').toStdString();
    EXPECT_TRUE(EntranceSession().NetworkMode);
    auto* remoteTiles = new TfrmEntranceGroupNowViewList(nullptr);
    const auto remoteShown = [remoteTiles](int room) { return TileText(remoteTiles, room); };
    EXPECT_EQ(remoteShown(0), "2 1 1");
    Sim.AddLogRecord(3, OpLastExit, 1, "0001");
    EXPECT_TRUE(QTest::qWaitFor([&] { return remoteShown(1) == "1 1 0"; }, WaitMs))
        << remoteShown(1).toStdString();
    delete remoteTiles;
    EntranceSession().NetworkMode = false;
}
