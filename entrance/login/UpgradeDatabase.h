#pragma once

namespace entrance {

// Adds the columns and the table that older copies of the Access database lack, each
// statement on its own with its error ignored (normally: it is there already), then reopens
// DM1's connections so that they see the new columns. Run after every login; true.
bool UpgradeDatabase();

} // namespace entrance
