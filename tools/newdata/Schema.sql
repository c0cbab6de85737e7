-- The tables of an empty data folder, in the Jet types the programs declare.
-- Each section names where its tables live; newdata runs each section there.
-- The programs' schema upgrades run on top of this: every column they add is here already,
-- so their ALTER TABLE statements fail harmlessly as on a current database.

-- section: VODURAVIRIVE.MDB

CREATE TABLE M_個人情報 (
    個人コード TEXT (10),
    氏名 TEXT (20),
    ﾌﾘｶﾞﾅ TEXT (20),
    部門コード LONG,
    有効開始日 DATETIME,
    有効終了日 DATETIME,
    郵便番号 TEXT (8),
    住所① TEXT (40),
    住所② TEXT (40),
    電話 TEXT (15),
    生年月日 DATETIME,
    性別 SHORT,
    血液型 TEXT (6),
    給与コード TEXT (20),
    勤務グループコード LONG,
    勤務グループ TEXT (20),
    指コード LONG,
    認証画像 LONGBINARY,
    ユーザーレベル SHORT
);
CREATE INDEX M_個人情報_個人コード ON M_個人情報 (個人コード);

CREATE TABLE M_使用認証機 (
    個人コード TEXT (10),
    認証機ID LONG,
    登録 BIT,
    削除 BIT,
    登録不可 BIT,
    指コード LONG
);
CREATE INDEX M_使用認証機_個人コード ON M_使用認証機 (個人コード, 認証機ID);

CREATE TABLE M_部門 (
    部門コード LONG PRIMARY KEY,
    部門名 TEXT (30)
);

CREATE TABLE M_事業所 (
    事業所コード LONG PRIMARY KEY,
    事業所名 TEXT (38),
    事業所ﾌﾘｶﾞﾅ TEXT (38),
    郵便番号 TEXT (9),
    住所① TEXT (38),
    住所② TEXT (38),
    電話 TEXT (15),
    FAX TEXT (15),
    代表者名 TEXT (18),
    処理年度 LONG,
    処理月 LONG,
    勤怠締日 LONG,
    勤怠締月 LONG
);

-- The login registers the first administrator under a name of up to 20 bytes.
CREATE TABLE M_オペレーター (
    オペレーターコード LONG PRIMARY KEY,
    オペレーター名 TEXT (20),
    ランク LONG,
    補足 TEXT (30),
    登録日時 DATETIME,
    passWD TEXT (20)
);

CREATE TABLE M_認証機グループ (
    認証機グループコード LONG,
    認証機ID LONG,
    認証機グループ名 TEXT (30)
);

-- Attendance tables the system carries along; only the columns the programs name.
CREATE TABLE M_勤務グループ (
    勤務グループコード LONG PRIMARY KEY,
    勤務グループ名 TEXT (20)
);

CREATE TABLE M_勤務表 (
    個人コード TEXT (10),
    読込 LONG
);

CREATE TABLE M_勤務表合計 (
    個人コード TEXT (10),
    出勤 DOUBLE,
    休出 DOUBLE,
    有休 DOUBLE,
    特休 DOUBLE,
    欠勤 DOUBLE,
    公休 DOUBLE
);

CREATE TABLE M_休日 (
    休日コード LONG
);

CREATE TABLE M_給与項目 (
    項目コード LONG,
    項目名 TEXT (20),
    使用 BIT,
    順番 LONG,
    ヘッダ名 TEXT (20),
    作成処理月 DATETIME
);

CREATE TABLE M_勤務体系 (
    勤務体系コード LONG
);

CREATE TABLE M_勤務端数 (
    勤務端数コード LONG
);

-- section: data folder

CREATE TABLE entranceState (
    認証機ID SHORT PRIMARY KEY,
    認証機名 TEXT (40),
    稼動開始 TIME,
    稼動終了 TIME,
    認証機種別 SHORT,
    作動状況 BIT,
    タンパー開 SHORT DEFAULT 0,
    タンパー閉 SHORT DEFAULT 0
);
