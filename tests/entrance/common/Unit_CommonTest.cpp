#include "entrance/common/Unit_Common.h"
#include "base/Registry.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QNetworkInterface>
#include <gtest/gtest.h>

using namespace entrance;

namespace {

QString U(const char* s) {
    return QString::fromUtf8(s);
}

TEST(Common, AppRegistryValuesLiveUnderTheMachineKey) {
    EXPECT_EQ(ReadAppRegistry("NoSuchValue"), "");
    EXPECT_TRUE(WriteAppRegistry("CompanyName", U("株式会社テスト")));
    EXPECT_EQ(ReadAppRegistry("CompanyName"), U("株式会社テスト"));
    EXPECT_TRUE(WriteAppRegistry("EntranceDayLine", "5:00"));
    EXPECT_EQ(ReadAppRegistry("entrancedayline"), "5:00");

    TRegistry registry;
    registry.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(registry.OpenKey("Software\\Zezoduzu", false));
    EXPECT_EQ(registry.ReadString("CompanyName"), U("株式会社テスト"));
    registry.RootKey = HKEY::HKEY_CURRENT_USER;
    EXPECT_FALSE(registry.OpenKey("Software\\Zezoduzu", false));
}

TEST(Common, AppRegistryWriteReportsAStoreThatCannotBeWritten) {
    const QByteArray saved = qgetenv("ZEZODUZU_REGISTRY");
    qputenv("ZEZODUZU_REGISTRY", "/proc/zezoduzu/registry.ini");
    EXPECT_FALSE(WriteAppRegistry("CompanyName", "x"));
    EXPECT_EQ(ReadAppRegistry("CompanyName"), "");
    qputenv("ZEZODUZU_REGISTRY", saved);
}

TEST(Common, AutoDialIsNeverChanged) {
    EXPECT_EQ(SetAutoDial(0), -1);
}

TEST(Common, HostAddresses) {
    EXPECT_EQ(HostToIPStr("192.168.10.7"), "192.168.10.7");
    EXPECT_EQ(HostToIPStr("no-such-host.invalid"), "NA");
    // A name of this machine gives an address other than loopback whenever it has one.
    bool hasOwnAddress = false;
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        hasOwnAddress |= a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback();
    for (const QString& name : {QString("localhost"), QHostInfo::localHostName()}) {
        const QHostAddress address(HostToIPStr(name));
        ASSERT_EQ(address.protocol(), QAbstractSocket::IPv4Protocol) << name.toStdString();
        EXPECT_EQ(address.isLoopback(), !hasOwnAddress) << name.toStdString();
    }
}

} // namespace
