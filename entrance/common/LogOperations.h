#pragma once

namespace entrance {

// The operations (操作種別) of a log record that the log views and reports count.
inline bool IsEntry(int operation) {
    return operation == 11 || operation == 12;
}

inline bool IsExit(int operation) {
    return operation == 21 || operation == 22;
}

} // namespace entrance
