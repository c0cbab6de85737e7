#include "ODBCLinkThread.h"

#include "odbc/ODBCLink.h"

#include <QMetaObject>
#include <cstring>
#include <pthread.h>

namespace {
constexpr int ReportStep = 50;
} // namespace

TDBLinkThread::TDBLinkThread(TCustomDBLinkODBC* dataSet, int rows, bool waitCursor)
    : FDataSet(dataSet), FQuery(dataSet->FQuery), FRows(rows), FCashCount(dataSet->FCashCount),
      FRowSize(dataSet->FRowSize), FRow(dataSet->FRowSize + 1, '\0'),
      FSavedOnFetchData(FQuery->OnFetchData), FSavedWaitCursor(waitCursor) {
    FQuery->OnFetchData = nullptr;
    FQuery->SQLWaitCursor = false;
    FDataSet->FThreadRunning = true;
    FThread = std::thread([this] { Execute(); });
}

TDBLinkThread::~TDBLinkThread() {
    Terminate();
    WaitFor();
}

void TDBLinkThread::WaitFor() {
    if (FThread.joinable())
        FThread.join();
}

void TDBLinkThread::WaitForRows(int milliseconds) {
    std::unique_lock<std::mutex> lock(FMutex);
    FPublished.wait_for(lock, std::chrono::milliseconds(milliseconds));
}

void TDBLinkThread::RestoreQuery() {
    FQuery->OnFetchData = FSavedOnFetchData;
    FQuery->SQLWaitCursor = FSavedWaitCursor;
}

void TDBLinkThread::Publish(int rows) {
    std::lock_guard<std::mutex> lock(FMutex);
    FDataSet->FRowsInCache = rows;
    FPublished.notify_all();
}

void TDBLinkThread::Execute() {
    sched_param lower{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &lower);
    int rows = FRows;
    bool more = false;
    // A full cache keeps the row after it waiting for the next cache-full, so no row is lost.
    try {
        while (!FTerminated && rows < FCashCount) {
            if (!FQuery->FetchToRec(FRow.data()))
                break;
            std::memcpy(FDataSet->RowAt(rows), FRow.constData(), size_t(FRowSize));
            ++rows;
            if (rows % ReportStep == 0)
                Publish(rows);
        }
        more = rows == FCashCount && !FTerminated && FDataSet->FetchNextRow();
    } catch (...) {
        // The rows read so far stay; the reader sees the end of what arrived.
    }
    FDataSet->FMoreRows = more;
    Publish(rows);
    {
        std::lock_guard<std::mutex> lock(FMutex);
        FDataSet->FThreadRunning = false;
        FPublished.notify_all();
    }
    // The end is told in the main thread: by its event loop, or earlier when the main thread
    // waits for this thread. The dataset is gone only after this thread was joined, and a call
    // queued for its context object is dropped with it.
    TCustomDBLinkODBC* dataSet = FDataSet;
    QMetaObject::invokeMethod(
        &dataSet->FMainThread, [dataSet] { dataSet->FinishBackgroundFetch(); },
        Qt::QueuedConnection);
}

// ---------------------------------------------------------------- the dataset's side

void TCustomDBLinkODBC::StartBackgroundFetch(int rows, bool waitCursor) {
    FThread = std::make_unique<TDBLinkThread>(this, rows, waitCursor);
}

void TCustomDBLinkODBC::StopBackgroundFetch() {
    if (FThread)
        FThread->Terminate();
}

void TCustomDBLinkODBC::WaitBackgroundFetch() {
    if (FThread)
        FThread->WaitFor();
    FinishBackgroundFetch();
}

void TCustomDBLinkODBC::WaitForRows(int milliseconds) {
    if (FThread)
        FThread->WaitForRows(milliseconds);
}

// Runs in the main thread once the fetch has ended: the thread is joined and its end told.
void TCustomDBLinkODBC::FinishBackgroundFetch() {
    if (!FThread || ThreadRunning())
        return;
    FThread->WaitFor();
    FThread->RestoreQuery();
    const std::unique_ptr<TDBLinkThread> ended = std::move(FThread);
    if (BeforeBGTerminate)
        BeforeBGTerminate(ended.get());
}
