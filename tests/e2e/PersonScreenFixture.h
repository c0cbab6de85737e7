#pragma once

#include "tests/e2e/CommProcess.h"
#include "tests/entrance/EntranceFixture.h"

#include "base/Text.h"
#include "components/grids/MOStringGrid.h"
#include "components/grids/StrSortGrid.h"
#include "entrance/common/EntranceSession.h"
#include "entrance/persons/Form_EntranceUser.h"
#include "entrance/persons/Form_UserEntry.h"
#include "entrance/persons/ImageReadWait.h"
#include "protocol/CommRequests.h"
#include "tools/unitsim/UnitSimulator.h"
#include "ui/CopyData.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace entrance {

// The person screen of this process on a data folder that the communication program serves,
// with two simulated units on COM1. A local socket under the management program's caption
// stands in for the main window and hands image answers to the image dialog.
class PersonScreenFixture : public EntranceFixture {
protected:
    static constexpr int WaitMs = 30000;

    TempFolder Runtime;
    TUnitSimulator Sim{2};
    QProcess Comm;
    std::unique_ptr<TCopyDataServer> MainWindow;
    std::unique_ptr<TfrmUserEntry> Form;
    QStringList Messages;
    QTimer Answerer;

    void SetUp() override {
        qputenv("XDG_RUNTIME_DIR", Runtime.Path().toLocal8Bit());
        // This PC's own data: requests go by local socket.
        EntranceSession().NetworkMode = false;
        qputenv("ZEZODUZU_REGISTRY", Runtime.File("registry.ini").toLocal8Bit());
        ASSERT_TRUE(Sim.OpenPty());
        Sim.Start();
        UseUnitsOnCom1(Sim);
        // Stopped at first: the wait below then sees the communication program's own marks,
        // which come after it has set every unit stopped at its start.
        Run("INSERT INTO entranceState (認証機ID,認証機名,作動状況) VALUES (1,'正面',0), "
            "(2,'裏口',0)",
            true);
        ASSERT_NO_FATAL_FAILURE(StartComm({1, 2}));
        AnswerMessages();
        MainWindow = std::make_unique<TCopyDataServer>(EntranceCaption, [](const TCopyData& d) {
            TImageReadWait* wait = TImageReadWait::Current();
            if (wait && d.Code == CD_READ_IMAGE_REPLY)
                wait->TakeAnswer(FromCP932(d.Payload.left(d.Payload.indexOf('\0'))));
        });
        ASSERT_TRUE(MainWindow->Start());
        Form = std::make_unique<TfrmUserEntry>();
        Form->show();
        QApplication::setActiveWindow(Form.get());
    }
    void TearDown() override {
        Form.reset();
        KillComm();
        Sim.Stop();
    }
    // Starts the communication program and waits until its scan found exactly `present`.
    void StartComm(const QList<int>& present) {
        AtTestPace(Comm);
        ASSERT_TRUE(StartCommProgram(Comm, Temp.Path(), WaitMs));
        QStringList running;
        for (int unit : present)
            running << QString::number(unit);
        ASSERT_TRUE(QTest::qWaitFor([&] { return RunningUnits() == running; }, WaitMs))
            << RunningUnits().join(",").toStdString();
    }
    // Stops it as a backup does (request 1164) and waits for it to end.
    void StopComm() {
        ASSERT_TRUE(SendCopyData(CommCaption, CD_TERMINATE, "e2e", {}));
        ASSERT_TRUE(Comm.waitForFinished(WaitMs));
    }
    void KillComm() {
        if (Comm.state() != QProcess::NotRunning) {
            Comm.kill();
            Comm.waitForFinished(5000);
        }
    }
    // The units the communication program marked in operation: those its scan found.
    QStringList RunningUnits() {
        return Column("SELECT 認証機ID FROM entranceState WHERE 作動状況 ORDER BY 1", true);
    }
    // Every message box is answered with OK, its text kept.
    void AnswerMessages() {
        QObject::connect(&Answerer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                Messages << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        Answerer.start(20);
    }
    void ChooseCode(const QString& code) {
        Form->RadioAllClick();
        for (int r = 1; r < Form->UserGrid->RowCount(); ++r)
            if (Form->UserGrid->Cells(0, r) == code)
                Form->UserGrid->SetRow(r);
        Form->btnEditClick();
        ASSERT_EQ(Form->GetCurrentUserCode(), code);
    }
    // Runs the units dialog of the person on screen with these ticks.
    void StoreUnits(const QStringList& ticks) {
        QTimer::singleShot(100, [ticks] {
            auto* dialog = qobject_cast<TfrmEntranceUser*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            for (int r = 0; r < ticks.size(); ++r)
                dialog->EntGrid->SetCells(2, r + 1, ticks[r]);
            dialog->btnOK->click();
        });
        Form->btnEntrance->click();
    }
    QStringList UnitRows() {
        return Column("SELECT 個人コード||'/'||認証機ID FROM M_使用認証機 ORDER BY 1");
    }
};

} // namespace entrance
