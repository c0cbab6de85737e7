#include "DemoData.h"

#include "base/DateTime.h"
#include "base/Registry.h"
#include "dbengine/Database.h"
#include "dbengine/Query.h"
#include "dbengine/Session.h"
#include "tools/newdata/NewData.h"

#include <QDir>
#include <QMap>

namespace {

const QStringList DemoUnitNames = {"正面玄関", "通用口", "会議室", "サーバー室"};
const QStringList DemoRoomNames = {"事務所", "会議室", "サーバー室"};
const QStringList DemoDepartments = {"総務部", "開発部", "製造部"};

// One statement with its parameters, run on the database it names.
void Exec(const QString& database, const QString& sql, const QVariantList& values = {}) {
    TQuery query;
    query.SetDatabaseName(database);
    query.SQL().Assign(QStringList{sql});
    for (int i = 0; i < values.size(); ++i) {
        TParam& param = query.Params()[i];
        const QVariant& v = values[i];
        if (v.typeId() == QMetaType::Int)
            param.SetAsInteger(v.toInt());
        else if (v.typeId() == QMetaType::Double)
            param.SetAsDateTime(v.toDouble());
        else
            param.SetAsString(v.toString());
    }
    query.ExecSQL();
}

} // namespace

const QList<TDemoPerson>& DemoPersons() {
    static const QList<TDemoPerson> persons = {
        {"0000001", "山田　太郎", 1, {1, 2, 3}},    {"0000002", "佐藤　花子", 1, {1, 2, 3}},
        {"0000003", "鈴木　一郎", 2, {1, 2, 3, 4}}, {"0000004", "高橋　次郎", 2, {1, 2, 4}},
        {"0000005", "田中　三郎", 3, {1, 2}},       {"0000006", "伊藤　四郎", 3, {1, 2}},
    };
    return persons;
}

QList<QList<int>> DemoRooms() {
    return {{1, 2}, {3}, {4}};
}

void FillDemoData(const QString& folder) {
    TDatabase db1;
    db1.DatabaseName = "RORazu";
    db1.Params.Add("DATABASE NAME=" + QDir(folder).filePath(DatabaseFileName));
    TDatabase db2;
    db2.DatabaseName = "ParaOzka";
    db2.Params.Add("PATH=" + folder);
    int year, month, day;
    DecodeDate(Date(), year, month, day);

    Exec("RORazu",
         "INSERT INTO M_オペレーター "
         "(オペレーターコード,オペレーター名,ランク,補足,登録日時,passWD) "
         "VALUES (1,:Name,0,'削除できません。',:Today,:Password)",
         {DemoOperator, Date(), DemoPassword});
    TRegistry registry;
    registry.RootKey = HKEY::HKEY_LOCAL_MACHINE;
    registry.OpenKey(AppRegistryKey, true);
    registry.WriteString("UserPassWD", DemoPassword);

    Exec("RORazu",
         "INSERT INTO M_事業所 (事業所コード,事業所名,処理年度,処理月) VALUES "
         "(1,:Name,:Year,:Month)",
         {"デモ事業所", year, month});
    for (int d = 0; d < DemoDepartments.size(); ++d)
        Exec("RORazu", "INSERT INTO M_部門 (部門コード,部門名) VALUES (:Code,:Name)",
             {d + 1, DemoDepartments[d]});
    for (int u = 1; u <= DemoUnitCount; ++u)
        Exec("ParaOzka",
             "INSERT INTO entranceState (認証機ID,認証機名,作動状況) VALUES (:ID,:Name,False)",
             {u, DemoUnitNames[u - 1]});
    const QList<QList<int>> rooms = DemoRooms();
    for (int r = 0; r < rooms.size(); ++r)
        for (int unit : rooms[r])
            Exec("RORazu",
                 "INSERT INTO M_認証機グループ (認証機グループコード,認証機ID,認証機グループ名) "
                 "VALUES (:Code,:ID,:Name)",
                 {r + 1, unit, DemoRoomNames[r]});
    for (const TDemoPerson& p : DemoPersons()) {
        Exec("RORazu",
             "INSERT INTO M_個人情報 (個人コード,氏名,部門コード,有効開始日,有効終了日) "
             "VALUES (:Code,:Name,:Department,:Start,:End)",
             {p.Code, p.Name, p.Department, EncodeDate(year - 1, 1, 1),
              EncodeDate(year + 10, 12, 31)});
        for (int unit : p.Units)
            Exec("RORazu",
                 "INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除,登録不可) "
                 "VALUES (:Code,:ID,False,False,False)",
                 {p.Code, unit});
    }
    Session().Close();
}

QString DemoUnitScript(int minutes) {
    QStringList lines{"# The demo: enrolments first, then people going in and out of rooms."};
    const QList<TDemoPerson>& persons = DemoPersons();
    for (int i = 0; i < persons.size(); ++i)
        lines << QString("%1 enrol %2 %3")
                     .arg(1000 + i * 500)
                     .arg(persons[i].Units.first())
                     .arg(persons[i].Code);
    // Which room each person is in (-1: none), so an exit follows each entry.
    QMap<QString, int> inRoom;
    const QList<QList<int>> rooms = DemoRooms();
    quint32 seed = 12345;
    const auto next = [&seed](int range) {
        seed = seed * 1103515245 + 12345;
        return int((seed >> 16) % quint32(range));
    };
    const int events = minutes * 30;
    for (int e = 0; e < events; ++e) {
        const int at = 10000 + e * 2000;
        const TDemoPerson& p = persons[next(persons.size())];
        const int room = inRoom.value(p.Code, -1);
        if (room >= 0) {
            lines << QString("%1 log %2 21 1 %3").arg(at).arg(rooms[room].first()).arg(p.Code);
            inRoom.remove(p.Code);
            continue;
        }
        const int unit = p.Units[next(p.Units.size())];
        // Now and then a finger the unit refuses.
        const bool refused = next(8) == 0;
        lines << QString("%1 log %2 11 %3 %4").arg(at).arg(unit).arg(refused ? 0 : 1).arg(p.Code);
        if (!refused)
            for (int r = 0; r < rooms.size(); ++r)
                if (rooms[r].contains(unit))
                    inRoom[p.Code] = r;
    }
    return lines.join('\n') + '\n';
}
