#pragma once

#include "odbc/ODBCCore.h"

#include <QByteArray>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class TCustomDBLinkODBC;

// Reads the rest of an unscrollable result into the dataset's cache at lower priority,
// publishing the row count every 50 rows and at its end.
class TDBLinkThread {
public:
    // Starts at once after `rows` rows already in the cache; `waitCursor` is the query's
    // setting to give back at the end.
    TDBLinkThread(TCustomDBLinkODBC* dataSet, int rows, bool waitCursor);
    ~TDBLinkThread();
    TDBLinkThread(const TDBLinkThread&) = delete;
    TDBLinkThread& operator=(const TDBLinkThread&) = delete;

    void Terminate() { FTerminated = true; }
    // Waits until the thread has ended.
    void WaitFor();
    // Waits at most `milliseconds` for rows to be published.
    void WaitForRows(int milliseconds);
    // Gives the query back its fetch handler and wait cursor.
    void RestoreQuery();

private:
    void Execute();
    void Publish(int rows);

    TCustomDBLinkODBC* FDataSet;
    TCustomQueryODBC* FQuery;
    int FRows;
    int FCashCount;
    int FRowSize;
    QByteArray FRow;
    TqoFetchEvent FSavedOnFetchData;
    bool FSavedWaitCursor;
    std::atomic<bool> FTerminated = false;
    std::mutex FMutex;
    std::condition_variable FPublished;
    std::thread FThread;
};
