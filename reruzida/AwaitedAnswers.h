#pragma once

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <deque>
#include <utility>

class QTcpSocket;

namespace reruzida {

class TDM1;
class TJobLine;

// An image read (RRR) sent to a unit and not yet answered; Client is the TCP client that
// asked, or none when the answer goes to the two answer windows.
struct TImageRead {
    int Unit = 0;
    QString Code;
    QPointer<QTcpSocket> Client;
};

// A removal (RDR) sent to a unit and not yet answered.
struct TRemovalSent {
    int Unit = 0;
    QString Code;
};

// The answer to a read: code + "," + unit, or "," + unit when the person is not registered
// there. It goes to the TCP client that asked when it is still connected, else by
// CD_READ_IMAGE_REPLY to the two answer windows.
void SendImageAnswer(const QString& code, const TImageRead& read);

// The removals and image reads sent to the units whose answers come later, as received
// records: what is sent, and what an answer finds of what asked for it.
//
// A removal is kept in M_使用認証機: the person's row for the unit marked 削除 until the unit
// confirms it with RDA, which deletes the row. A row that another program marked, or one kept
// while the unit was away, is sent again whenever its unit is found and with every expiry
// tick, also after a restart.
class TAwaitedAnswers {
public:
    // Removals go to the send queue this many at most (about six seconds of the line), so
    // they leave it room for every other command, a found unit's run command above all.
    static constexpr int RemovalPortion = 20;

    TAwaitedAnswers(TDM1& dm1, TJobLine& line);
    TAwaitedAnswers(const TAwaitedAnswers&) = delete;
    TAwaitedAnswers& operator=(const TAwaitedAnswers&) = delete;

    // Keeps the removal of the person from the unit: its rows are marked 削除, or one such row
    // is inserted when the person has none there. Raises when it cannot be kept, and
    // EConvertError for an empty code (a request line ",3", or a unit's RWA without a code),
    // keeping nothing.
    void KeepRemoval(int unit, const QString& code);
    // Queues RDR for the rows marked 削除 of the unit (0: of every present unit), when present
    // and not queued already, up to RemovalPortion waiting; nothing while more than half of a
    // portion waits. The next portion follows as the units answer, with the expiry tick, and
    // when a unit is found.
    void SendPendingRemovals(int unit = 0);
    // Queues RDR for the person on the unit and notes it as sent.
    void SendRemoval(int unit, const QString& code);
    // The person an RDA of the unit is about: `code`, or for an empty code the oldest removal
    // sent to the unit (empty when none); either is no longer counted as sent.
    QString TakeRemovalSent(int unit, const QString& code);
    // Before the program ends: no removal counts as sent any more.
    void ForgetRemovalsSent();

    // Queues RRR for the person on the unit and notes the read, for `client` when a TCP client
    // asked; false when it was not queued. A read for the same person there is replaced.
    bool ReadImage(int unit, const QString& code, QTcpSocket* client = nullptr);
    // The read that an RRA from `unit` carrying `code` answers, taken off the list: the one for
    // that code, or for an empty code the oldest on that unit; none noted gives {unit, code}.
    TImageRead TakeImageRead(int unit, const QString& code);

private:
    TDM1& FDM1;
    TJobLine& FLine;
    // Removals sent and not yet answered, oldest first, each (unit, code) once; only an
    // answer without the code needs them. No more can be on their way than the send queue
    // holds.
    std::deque<TRemovalSent> FRemovalsSent;
    // Image reads sent and not yet answered, oldest first, each (unit, code) once.
    std::deque<TImageRead> FImageReads;
};

} // namespace reruzida
