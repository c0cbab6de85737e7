// The driver is its own setup library: unixODBC's SQLConfigDataSource calls ConfigDSN.
#include <QByteArray>
#include <QList>
#include <odbcinst.h>

extern "C" __attribute__((visibility("default"))) BOOL ConfigDSN(HWND, WORD request, LPCSTR driver,
                                                                 LPCSTR attributes) {
    // "key=value\0key=value\0\0"
    QList<QPair<QByteArray, QByteArray>> pairs;
    QByteArray dsn;
    for (const char* a = attributes; a && *a; a += strlen(a) + 1) {
        const QByteArray pair(a);
        const int eq = pair.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArray key = pair.left(eq).trimmed(), value = pair.mid(eq + 1).trimmed();
        if (key.compare("DSN", Qt::CaseInsensitive) == 0)
            dsn = value;
        else
            pairs.append({key, value});
    }
    if (dsn.isEmpty())
        return 0;
    switch (request) {
    case ODBC_ADD_DSN:
    case ODBC_CONFIG_DSN:
    case ODBC_ADD_SYS_DSN:
    case ODBC_CONFIG_SYS_DSN:
        if (!SQLWriteDSNToIni(dsn.constData(), driver))
            return 0;
        for (const auto& [key, value] : pairs)
            if (!SQLWritePrivateProfileString(dsn.constData(), key.constData(), value.constData(),
                                              "odbc.ini"))
                return 0;
        return 1;
    case ODBC_REMOVE_DSN:
    case ODBC_REMOVE_SYS_DSN:
        return SQLRemoveDSNFromIni(dsn.constData());
    default:
        return 0;
    }
}
