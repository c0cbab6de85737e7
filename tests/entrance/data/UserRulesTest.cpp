#include "entrance/data/UserRules.h"
#include "entrance/data/UserRows.h"
#include "tests/entrance/EntranceFixture.h"
#include "tests/entrance/PersonCodes.h"

using namespace entrance;

namespace {

using UserRows = EntranceFixture;

// The codes the list shows for a filter, run on the database through the engine.
QStringList ListedCodes(const TUserListFilter& filter) {
    return PersonCodesOf(UserListSQL(filter, true));
}

TEST_F(UserRows, ListFiltersSelectThePersons) {
    Run("INSERT INTO M_個人情報 (個人コード,氏名,ﾌﾘｶﾞﾅ,部門コード,指コード,勤務グループコード) "
        "VALUES ('101','阿部','ｱﾍﾞ',1,NULL,3), ('102','加藤','ｶﾄｳ',2,0,0), "
        "('201','伊藤','ｲﾄｳ',NULL,NULL,NULL), ('202',NULL,NULL,0,NULL,2), "
        "('203','','',1,NULL,NULL), "
        "('301','指','ｱ',1,5,1), ('O''1','尾','ｵ',1,NULL,0)");
    const struct {
        TUserListFilter filter;
        QStringList codes;
    } cases[] = {
        {{}, {"101", "102", "201", "202", "203", "O'1"}},
        {{false, "1"}, {"101", "203", "O'1"}},
        {{false, "<未登録>"}, {"201", "202"}},
        {{false, "0", "[ｱ-ｵ]"}, {"101", "201", "O'1"}},
        {{false, "0", "", "2"}, {"201", "202", "203"}},
        {{false, "1", "[ｱ-ｵ]", "1"}, {"101"}},
        {{false, "0", "", "O'"}, {"O'1"}},
        {{false, "1) OR (1=1"}, {}},
        {{false, "x"}, {}},
        {{false, "1.5"}, {}},
        {{false, "0", "", "", true}, {"101", "202"}},
        {{false, "1", "", "", true}, {"101"}},
        {{true, "2", "ｶ", "1"}, {"202", "203"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ListedCodes(c.filter), c.codes)
            << c.filter.Unregistered << " " << c.filter.Dept.toStdString() << " "
            << c.filter.Kana.toStdString() << " " << c.filter.Code.toStdString();
}

TEST(UserRules, DepartmentFilterOfComboText) {
    const struct {
        const char* text;
        const char* filter;
    } cases[] = {{"12:営業部", "12"},
                 {"0:全て指定", "0"},
                 {"<未登録>", "<未登録>"},
                 {" 7 ", "7"},
                 {"abc", "0"},
                 {":x", "0"},
                 {"", "0"}};
    for (const auto& c : cases)
        EXPECT_EQ(DeptFilterOf(c.text), c.filter) << c.text;
}

TEST(UserRules, BirthDateTypedAndShown) {
    const struct {
        const char* typed;
        TBirthInput outcome;
        int ymd; // stored date
        const char* shown;
    } cases[] = {
        {"S51/5/12", TBirthInput::Date, 19760512, "S51/5/12"},
        {"s51/05/12", TBirthInput::Date, 19760512, "S51/5/12"},
        {"1976/5/12", TBirthInput::Date, 19760512, "S51/5/12"},
        {"H1/1/8", TBirthInput::Date, 19890108, "H1/1/8"},
        {"S64/1/7", TBirthInput::Date, 19890107, "S64/1/7"},
        {"R1/5/1", TBirthInput::Date, 20190501, "R1/5/1"},
        {"H31/4/30/9", TBirthInput::Date, 20190430, "H31/4/30"},
        {"", TBirthInput::Empty, 0, ""},
        {"1976/2/30", TBirthInput::NotDate, 0, ""},
        {"19760512x", TBirthInput::NotDate, 0, ""},
        {"X51/5/12", TBirthInput::NotDate, 0, ""},
        {"S51/5/3x", TBirthInput::NotNumber, 0, ""},
        {"S51/5", TBirthInput::NotNumber, 0, ""},
    };
    for (const auto& c : cases) {
        TDateTime date = 0;
        QString error;
        ASSERT_EQ(ParseBirthText(c.typed, date, error), c.outcome) << c.typed;
        EXPECT_EQ(error.isEmpty(), c.outcome != TBirthInput::NotNumber) << c.typed;
        if (c.outcome != TBirthInput::Date)
            continue;
        EXPECT_EQ(DateToYmd(date), c.ymd) << c.typed;
        EXPECT_EQ(BirthEraText(date), c.shown) << c.typed;
    }
}

TEST(UserRules, SaveChecksDecideInOrder) {
    // Stored: 100 with an image, 200 without; 300 is free.
    const auto exists = [](const QString& c) { return c == "100" || c == "200"; };
    const auto image = [](const QString& c) { return c == "100"; };
    const QString dup = "個人コードが既に登録されているものと重複しています。";
    const QString imageMsg = "既に認証画像が登録されているユーザの個人コードは、変更できません。";
    const QString badChars = "個人コードには空白、「,」、「\"」と制御文字は使えません。";
    const struct {
        const char *code, *name, *current;
        TSaveAction action;
        QString message;
        TSaveFocus focus;
        bool revert;
    } cases[] = {
        {"300", "山田", "", TSaveAction::Store, "", TSaveFocus::None, false},
        {"", "山田", "", TSaveAction::Refuse, "個人コードが入力されていません。", TSaveFocus::Code,
         false},
        {"300", "　 ", "", TSaveAction::Refuse, "氏名が入力されていません。", TSaveFocus::Name,
         false},
        {"", "", "", TSaveAction::Refuse, "個人コードが入力されていません。", TSaveFocus::Code,
         false},
        {"200", "山田", "", TSaveAction::Refuse, dup, TSaveFocus::Code, false},
        {"200", "山田", "200", TSaveAction::Store, "", TSaveFocus::None, false},
        {"100", "山田", "200", TSaveAction::StoreOldCode, dup, TSaveFocus::None, true},
        {"300", "山田", "100", TSaveAction::Refuse, imageMsg, TSaveFocus::Code, true},
        {"300", "山田", "200", TSaveAction::Store, "", TSaveFocus::None, false},
        {"12 3", "山田", "", TSaveAction::Refuse, badChars, TSaveFocus::Code, false},
        {"12,3", "山田", "200", TSaveAction::Refuse, badChars, TSaveFocus::Code, false},
        {"1\"2", "山田", "", TSaveAction::Refuse, badChars, TSaveFocus::Code, false},
        {"1\t2", "山田", "", TSaveAction::Refuse, badChars, TSaveFocus::Code, false},
        {"1　2", "山田", "", TSaveAction::Refuse, badChars, TSaveFocus::Code, false},
        {"O'1", "山田", "", TSaveAction::Store, "", TSaveFocus::None, false},
    };
    for (const auto& c : cases) {
        const TSaveCheck check = CheckSaveUser({c.code, c.name, c.current, exists, image});
        EXPECT_EQ(check.Action, c.action) << c.code << " " << c.current;
        EXPECT_EQ(check.Message, c.message) << c.code << " " << c.current;
        EXPECT_EQ(check.Focus, c.focus) << c.code << " " << c.current;
        EXPECT_EQ(check.RevertCode, c.revert) << c.code << " " << c.current;
    }
}

TEST(UserRules, UnitStorePlanAndRemovalLines) {
    // Units 1..5: 1 ticked without row, 2 ticked with row, 3 and 5 unticked with rows, 4
    // unticked without row.
    const QList<TUnitTick> ticks{{1, true}, {2, true}, {3, false}, {4, false}, {5, false}};
    const TUnitStorePlan plan = PlanUnitStore(ticks, {5, 2, 3});
    EXPECT_EQ(plan.Insert, QList<int>{1});
    EXPECT_EQ(plan.Remove, QList<int>({3, 5}));
    EXPECT_EQ(RemovalRequestText("0012", plan.Remove), "0012,3\r\n0012,5\r\n");
    EXPECT_EQ(RemovalRequestText("0012", {}), "");
}

TEST_F(UserRows, ChecksAndDeletionBindTheCode) {
    Run("INSERT INTO M_個人情報 (個人コード,氏名,認証画像) VALUES "
        "('O''1','尾',randomblob(900)), ('A1','甲',NULL), ('A2','乙',x'')");
    Run("INSERT INTO M_勤務表合計 (個人コード) VALUES ('O''1'), ('Z9')");
    Run("INSERT INTO M_勤務表 (個人コード) VALUES ('O''1'), ('A1')");
    Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除) VALUES ('O''1',1,1,0), "
        "('A1',1,1,0)");
    EXPECT_TRUE(CodeExistsInUsers("O'1"));
    EXPECT_FALSE(CodeExistsInUsers("x\" OR \"1\"=\"1"));
    EXPECT_TRUE(CodeExistsInTotals("Z9"));
    EXPECT_FALSE(CodeExistsInTotals("A1"));
    EXPECT_TRUE(HasAuthImage("O'1"));
    EXPECT_FALSE(HasAuthImage("A1"));
    EXPECT_FALSE(HasAuthImage("A2"));
    EXPECT_FALSE(HasAuthImage("none"));

    ASSERT_TRUE(DeleteUserRows("O'1"));
    EXPECT_EQ(Column("SELECT 個人コード FROM M_個人情報 ORDER BY 1"), QStringList({"A1", "A2"}));
    EXPECT_EQ(Column("SELECT 個人コード FROM M_勤務表合計"), QStringList{"Z9"});
    EXPECT_EQ(Column("SELECT 個人コード FROM M_勤務表"), QStringList{"A1"});
    // The unit rows stay, marked, until each unit confirms the removal.
    EXPECT_EQ(Column("SELECT 個人コード||'/'||削除 FROM M_使用認証機 ORDER BY 1"),
              QStringList({"A1/0", "O'1/1"}));
}

TEST_F(UserRows, DeletionThatFailsKeepsEveryRow) {
    Run("INSERT INTO M_個人情報 (個人コード,氏名) VALUES ('A1','甲')");
    Run("INSERT INTO M_使用認証機 (個人コード,認証機ID) VALUES ('A1',1)");
    Run("DROP TABLE M_勤務表");
    EXPECT_FALSE(DeleteUserRows("A1"));
    EXPECT_EQ(Column("SELECT 個人コード FROM M_個人情報"), QStringList{"A1"});
    EXPECT_EQ(Column("SELECT 個人コード||'/'||削除 FROM M_使用認証機"), QStringList{"A1/0"});
}

TEST_F(UserRows, UnitRowsFollowThePlan) {
    Run("INSERT INTO M_使用認証機 (個人コード,認証機ID,登録,削除,指コード) VALUES "
        "('P1',2,1,0,NULL), ('P1',3,0,0,0), ('P1',4,1,1,NULL), ('P1',2,1,0,3), "
        "('Q1',2,1,0,3), ('Q1',3,1,0,NULL)");
    // Finger-code rows and the removal waiting for unit 4 are no units in use.
    ASSERT_EQ(UsedUnitsOf("P1"), QList<int>({2, 3}));

    const TUnitStorePlan plan =
        PlanUnitStore({{1, true}, {2, false}, {3, false}, {4, true}}, UsedUnitsOf("P1"));
    EXPECT_EQ(plan.Remove, QList<int>({2, 3}));
    // Unit 4 ticked again while its removal waits: a row of its own, in use.
    InsertUnitRows("P1", plan.Insert);
    MarkUnitRowsRemoving("P1", plan.Remove);
    EXPECT_EQ(Column("SELECT 個人コード||'/'||認証機ID||'/'||coalesce(指コード,'')||'/'||削除 "
                     "FROM M_使用認証機 ORDER BY 1"),
              QStringList({"P1/1//0", "P1/2//1", "P1/2/3/1", "P1/3/0/1", "P1/4//0", "P1/4//1",
                           "Q1/2/3/0", "Q1/3//0"}));
    EXPECT_EQ(UsedUnitsOf("P1"), QList<int>({1, 4}));

    // The removals keep the code they were sent under.
    RenameUnitRows("P1", "P2");
    EXPECT_EQ(UsedUnitsOf("P2"), QList<int>({1, 4}));
    EXPECT_EQ(Column("SELECT 認証機ID FROM M_使用認証機 WHERE 個人コード='P1' ORDER BY 1"),
              QStringList({"2", "2", "3", "4"}));
}

} // namespace

namespace {

TEST_F(UserRows, StoringInsertsUpdatesAndRenames) {
    Run("INSERT INTO M_勤務表合計 (個人コード) VALUES ('N1'), ('N2')");
    TUserRecord person{"N1", "山田", "ﾔﾏﾀﾞ", 3, 0, "", "", "", "", 27892, 1, "AB"};
    TReadRows asRead; // a new person: nothing read
    StoreUserRecord(person, "", asRead);
    EXPECT_EQ(Column("SELECT 個人コード FROM M_勤務表合計"), QStringList{"N2"});
    Run("INSERT INTO M_使用認証機 (個人コード,認証機ID) VALUES ('N1',1), ('N1',2)");

    TUserRecord loaded;
    ASSERT_TRUE(LoadUserRecord("N1", loaded, asRead));
    EXPECT_EQ(loaded.Name, "山田");
    EXPECT_EQ(loaded.Dept, 3);
    EXPECT_EQ(loaded.Birth, 27892);
    EXPECT_EQ(loaded.Sex, 1);
    EXPECT_EQ(loaded.Blood, "AB");
    EXPECT_EQ(loaded.ValidEnd, 0);
    EXPECT_FALSE(loaded.HasImage);
    EXPECT_EQ(Column("SELECT coalesce(有効終了日,'null')||'/'||coalesce(住所①,'null') FROM "
                     "M_個人情報"),
              QStringList{"null/null"});

    loaded.Code = "N2";
    loaded.Sex = -1;
    StoreUserRecord(loaded, "N1", asRead);
    EXPECT_EQ(Column("SELECT 個人コード||'/'||coalesce(性別,'null') FROM M_個人情報"),
              QStringList{"N2/null"});
    EXPECT_EQ(Column("SELECT 個人コード FROM M_勤務表合計"), QStringList{});
    EXPECT_EQ(Column("SELECT DISTINCT 個人コード FROM M_使用認証機"), QStringList{"N2"});
    EXPECT_FALSE(LoadUserRecord("N1", loaded, asRead));
}

} // namespace
