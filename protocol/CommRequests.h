#pragma once

#include <QString>
#include <QStringList>

// What the two programs say to each other: the request codes (as WM_COPYDATA carried them in
// dwData), the communication program's TCP ports, the captions that stand for the windows, and
// the "code,unit" line. Both programs include this header.

constexpr int CD_DELETE_USERS = 1128;
constexpr int CD_READ_IMAGE = 1144;
constexpr int CD_READ_IMAGE_REPLY = 1145;
constexpr int CD_RESET_TAMPER = 1154;
constexpr int CD_TERMINATE = 1164;
constexpr int CD_RESTART = 1165;

// The most units one serial line carries; units have the IDs 1 to MaxUnitId.
constexpr int MaxUnitId = 32;

// The longest request the communication program's TCP servers take, in bytes: a removal of
// one person from all 32 units is about 500. A removal of many persons goes in parts.
constexpr int MaxRequestBytes = 4096;

// The TCP ports of the four servers.
constexpr quint16 PORT_START = 11123;
constexpr quint16 PORT_GAZOSET = 11030;
constexpr quint16 PORT_GAZODELETE = 11028;
constexpr quint16 PORT_TANPA = 11032;
// The port a program listens on or connects to for one of the four. Test runs side by side
// give each run its own four through the environment variable TestPortsVariable, holding
// the ports for PORT_START, PORT_GAZOSET, PORT_GAZODELETE and PORT_TANPA in that order
// separated by commas; without it, or with anything else in it, the port itself.
quint16 TcpPort(quint16 port);
inline constexpr char TestPortsVariable[] = "ZEZODUZU_TEST_PORTS";

// Captions: the communication program's own, and the two windows that take image answers.
inline constexpr char CommCaption[] = "認証機コミュニケーション";
inline constexpr char EntranceCaption[] = "入退室管理システム";
inline constexpr char WorkingCaption[] = "勤怠管理システム";

// The communication program's file as the management program starts it again.
inline constexpr char CommProgram[] = "RERUZIDA.EXE";

// The rows of M_使用認証機 in use: those marked 削除 are removals that wait for their unit to
// confirm them, and no list shows them.
inline constexpr char UnitRowInUse[] = "((削除 Is Null) Or (削除=False))";

// A person code, a comma and a unit ID in decimal: "1234567,3".
QString CodeUnitLine(const QString& code, int unit);
// The items of comma-separated text: commas and blanks separate, double quotes group. A
// CodeUnitLine gives the code and the unit; an empty code means "not registered there".
QStringList SplitCommaText(const QString& text);
