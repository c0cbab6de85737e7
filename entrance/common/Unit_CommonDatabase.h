#pragma once

namespace entrance {

// The common unit's work on the databases "RORazu" (the Access tables) and "ParaOzka" (the
// table files).

// Reads the business office's processing year, month and closing day, creating the row or
// repairing values out of range first, and fills ProcessingPeriod.
void LoadProcessingPeriod();
// Frees the session's temporary databases, closes "RORazu" and closes every dataset open on
// "ParaOzka", the last opened first.
void CloseDatabases();

} // namespace entrance
