#pragma once

#include <QString>

class TUnitSimulator;

// Schedules the events of a script on the simulator; returns an error text naming the
// first bad line, or an empty text. A line holds the time in ms after the start, an event
// and its arguments; blank lines and lines starting with "#" are skipped:
//   <ms> log <unit> <operation> <result> <code>
//   <ms> enrol <unit> <code>
//   <ms> remove <unit> <code>
//   <ms> tamper <unit> open|close
//   <ms> fault <unit> badbcc|badetx|silence|split|double|noise|wrongsource|none [times]
//   <ms> delay <unit> <command> <ms>
QString ScheduleScript(TUnitSimulator& sim, const QString& script);
