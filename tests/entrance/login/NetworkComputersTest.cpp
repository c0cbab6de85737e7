#include "tests/entrance/LogInFixture.h"

#include "base/DateTime.h"
#include "base/Registry.h"
#include "entrance/login/NetworkComputers.h"

#include <QFile>
#include <QTcpServer>

using namespace entrance;

namespace {

// The PC list with a stand-in for the network browser: the only program on the PATH, a
// script that checks how it is called and answers with the lines it was given.
class NetworkComputersTest : public LogInFixture {
protected:
    TempFolder Bin;

    void SetUp() override {
        LogInFixture::SetUp();
        FPath = qgetenv("PATH");
        qputenv("PATH", Bin.Path().toUtf8());
        WriteAppRegistry("NetworkComputers", "");
    }
    void TearDown() override {
        qputenv("PATH", FPath);
        Clock::SetTicks({});
        LogInFixture::TearDown();
    }

    // A browser that prints `lines` and ends with `exitCode`; lines "$ ..." are commands.
    void Browser(const QStringList& lines, int exitCode = 0) {
        QFile script(Bin.File(NetworkBrowser));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        QByteArray text = "#!/bin/sh\n[ \"$*\" = \"-tpr _smb._tcp\" ] || exit 9\n";
        for (const QString& line : lines)
            text += line.startsWith("$ ") ? line.mid(2).toUtf8() + "\n"
                                          : "printf '%s\\n' '" + line.toUtf8() + "'\n";
        text += "exit " + QByteArray::number(exitCode) + "\n";
        script.write(text);
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    }

    // The list after the button, with this PC as the network gives it.
    QStringList Listed() {
        const auto login = NewLogIn();
        login->NetworkPresent = true;
        Messages.clear();
        login->ListNetworkComputers();
        EXPECT_EQ(login->SelectedPC(), 0);
        return login->PCList();
    }

private:
    QByteArray FPath;
};

QString Resolved(const QString& name, const QString& protocol = "IPv4",
                 const QString& host = QString(), const QString& address = "192.168.1.5") {
    return "=;eth0;" + protocol + ";" + name + ";Microsoft Windows Network;local;" +
           (host.isEmpty() ? name.toLower() + ".local" : host) + ";" + address + ";445;";
}

} // namespace

TEST(AnnouncedComputers, ResolvedLinesGiveTheirNamesUnescapedWithHostAndAddress) {
    const QByteArray output = "+;eth0;IPv4;ANNOUNCED;Microsoft Windows Network;local\n"
                              "=;eth0;IPv4;DATAPC;Microsoft Windows Network;local;datapc.local;"
                              "192.168.1.5;445;\"\"\n"
                              "=;eth0;IPv6;DATAPC;Microsoft Windows Network;local;datapc.local;"
                              "fe80::1;445;\n"
                              "=;eth0;IPv4;受付\\032PC\\.2\\\\;Microsoft Windows Network;local;"
                              "uketsuke.local;192.168.1.6;445;\n"
                              "=;eth0;IPv4;SHORT\n"
                              "-;eth0;IPv4;GONE;Microsoft Windows Network;local\n"
                              "=;eth0;IPv4;TAIL\\03;Microsoft Windows Network;local;t.local;1;2;";
    EXPECT_EQ(AnnouncedComputers(output),
              (QList<TAnnouncedComputer>{{"DATAPC", "datapc.local", "192.168.1.5"},
                                         {"DATAPC", "datapc.local", "fe80::1"},
                                         {"受付 PC.2\\", "uketsuke.local", "192.168.1.6"},
                                         {"TAIL03", "t.local", "1"}}));
}

TEST_F(NetworkComputersTest, TheSettingThenTheAnnouncingComputersEachOnce) {
    WriteAppRegistry("NetworkComputers", " PCA, " + LocalComputerName().toLower() + ",PCB,,PCA");
    Browser({Resolved("DATAPC"), Resolved(LocalComputerName().toLower()), Resolved("pcb"),
             Resolved("DATAPC", "IPv6"), Resolved("UKETSUKE")});
    EXPECT_EQ(Listed(), (QStringList{LocalComputerName(), "PCA", "PCB", "DATAPC", "UKETSUKE"}));
    EXPECT_EQ(Messages, QStringList());
}

TEST_F(NetworkComputersTest, NoneFoundSaysSo) {
    const QString none = "ネットワークコンピュータが見つかりませんでした。";
    // Not installed.
    EXPECT_EQ(Listed(), QStringList{LocalComputerName()});
    EXPECT_EQ(Messages, QStringList{none});
    // Installed, nothing announced but this PC.
    Browser({"+;eth0;IPv4;" + LocalComputerName() + ";Microsoft Windows Network;local",
             Resolved(LocalComputerName())});
    EXPECT_EQ(Listed(), QStringList{LocalComputerName()});
    EXPECT_EQ(Messages, QStringList{none});
}

TEST_F(NetworkComputersTest, AFailingBrowserEndsQuietlyWithWhatItFound) {
    // Daemon gone midway: the names so far stay.
    Browser({Resolved("DATAPC")}, 1);
    EXPECT_EQ(Listed(), (QStringList{LocalComputerName(), "DATAPC"}));
    EXPECT_EQ(Messages, QStringList());

    // A browser that does not end is stopped at the time-out, on the program's clock, which
    // runs once the browser has said what it found.
    const QString told = Bin.File("told");
    uint32_t ticks = 0;
    Clock::SetTicks([&] { return QFile::exists(told) ? ticks += BrowseTimeoutMs / 4 : ticks; });
    Browser({Resolved("SLOWPC"), "$ /bin/touch " + told, "$ exec /bin/sleep 60"});
    EXPECT_EQ(Listed(), (QStringList{LocalComputerName(), "SLOWPC"}));
}

// A PC that no name service knows is reached where it announced itself: the list keeps the
// address of its browse line (an IPv6 one is passed over), and the login connects there.
TEST_F(NetworkComputersTest, AListedPCIsReachedAtTheAddressItAnnounced) {
    Browser({Resolved("FARPC", "IPv6", "farpc.invalid", "fe80::1"),
             Resolved("FARPC", "IPv4", "farpc.invalid", "127.0.0.1")});
    EXPECT_EQ(Listed(), (QStringList{LocalComputerName(), "FARPC"}));
    EXPECT_NE(HostToIPStr("farpc"), "NA");
    EXPECT_EQ(HostToIPStr("otherpc.invalid"), "NA");

    QTcpServer comm;
    ASSERT_TRUE(comm.listen(QHostAddress::AnyIPv4, 0));
    int connections = 0;
    QObject::connect(&comm, &QTcpServer::newConnection, [&] {
        ++connections;
        comm.nextPendingConnection()->disconnectFromHost();
    });
    const auto login = NewLogIn();
    login->NetworkPresent = true;
    login->StartPort = comm.serverPort();
    EXPECT_FALSE(Attempt(*login, "FARPC", "山田", "pw"));
    EXPECT_EQ(connections, 1);
}
