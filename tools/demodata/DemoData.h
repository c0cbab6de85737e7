#pragma once

#include <QList>
#include <QString>

// A person of the demo data: the units he may use, the first of which he enrols at.
struct TDemoPerson {
    QString Code;
    QString Name;
    int Department;
    QList<int> Units;
};

// The persons, units and rooms of the demo data, which the simulated units' script uses.
const QList<TDemoPerson>& DemoPersons();
// Unit IDs 1 .. DemoUnitCount; each room is a set of them.
constexpr int DemoUnitCount = 4;
QList<QList<int>> DemoRooms();

// The demo administrator's name and password.
inline constexpr char DemoOperator[] = "admin";
inline constexpr char DemoPassword[] = "admin";

// Fills a new data folder as an operator would through the screens, with the programs' own
// SQL through the database engine: the administrator (also in the registry store, so the
// login checks him), the business office, departments, units, rooms, persons and the units
// each person may use, waiting to be enrolled.
void FillDemoData(const QString& folder);

// The simulated units' script: each person enrols at his first unit, then every two seconds
// someone enters or leaves a room through a unit he may use (now and then a refused finger),
// for `minutes` minutes. See tools/unitsim/UnitScript.h.
QString DemoUnitScript(int minutes);
