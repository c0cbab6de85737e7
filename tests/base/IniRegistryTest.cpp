#include "base/IniFile.h"
#include "base/Registry.h"
#include "base/Text.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

TEST(IniFile, RoundTripsValuesWithoutCase) {
    TempFolder dir;
    TIniFile ini(dir.File("VORUZOVEVIZ.INI"));
    EXPECT_EQ(ini.ReadString("APP", "APPNAME", "none"), "none");
    ini.WriteString("APP", "APPNAME", "/data/Reruzida");
    ini.WriteInteger("APP", "Count", 12);
    ini.WriteString("他", "名前", QString::fromUtf8("山田"));
    TIniFile again(dir.File("VORUZOVEVIZ.INI"));
    EXPECT_EQ(again.ReadString("app", "appname", ""), "/data/Reruzida");
    EXPECT_EQ(again.ReadInteger("APP", "Count", 0), 12);
    EXPECT_EQ(again.ReadInteger("APP", "APPNAME", -1), -1); // not a number
    EXPECT_EQ(again.ReadString("他", "名前", ""), QString::fromUtf8("山田"));
    EXPECT_EQ(again.ReadSection("APP"), QStringList({"APPNAME", "Count"}));
    for (const QString& value : {QString(" pass word "), QString("\"quoted\""), QString("\"")}) {
        again.WriteString("APP", "Exact", value);
        EXPECT_EQ(again.ReadString("APP", "Exact", ""), value);
    }
    again.DeleteKey("APP", "Exact");
    again.DeleteKey("APP", "count");
    EXPECT_FALSE(again.ValueExists("APP", "Count"));
    again.EraseSection("他");
    EXPECT_FALSE(again.SectionExists("他"));
}

TEST(IniFile, ReadsOlderFilesInCodePage932) {
    TempFolder dir;
    QFile f(dir.File("old.ini"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ToCP932(QString::fromUtf8("[APP]\r\nAPPNAME=C:\\入退室\\RERUZIDA.EXE\r\n")));
    f.close();
    EXPECT_EQ(TIniFile(f.fileName()).ReadString("APP", "APPNAME", ""),
              QString::fromUtf8("C:\\入退室\\RERUZIDA.EXE"));
}

TEST(Registry, KeysValuesAndRoots) {
    TempFolder dir;
    qputenv("ZEZODUZU_REGISTRY", dir.File("reg.ini").toLocal8Bit());
    TRegistry reg;
    reg.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    EXPECT_FALSE(reg.OpenKey("Software\\Zezoduzu", false));
    ASSERT_TRUE(reg.OpenKey("Software\\Zezoduzu", true));
    EXPECT_EQ(reg.ReadString("CompanyName"), QString());
    EXPECT_THROW(reg.ReadInteger("Comm"), ERegistryException);
    reg.WriteString("CompanyName", QString::fromUtf8("株式会社テスト"));
    reg.WriteInteger("Comm", 2);
    reg.CloseKey();
    EXPECT_THROW(reg.ReadString("CompanyName"), ERegistryException);

    TRegistry other;
    other.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    ASSERT_TRUE(other.OpenKey("SOFTWARE\\zezoduzu", false)); // keys ignore case
    EXPECT_EQ(other.ReadString("CompanyName"), QString::fromUtf8("株式会社テスト"));
    EXPECT_EQ(other.ReadInteger("Comm"), 2);
    EXPECT_TRUE(other.DeleteValue("Comm"));
    EXPECT_FALSE(other.ValueExists("Comm"));

    TRegistry user; // another root is another tree
    EXPECT_FALSE(user.KeyExists("Software\\Zezoduzu"));
    qunsetenv("ZEZODUZU_REGISTRY");
}

} // namespace
