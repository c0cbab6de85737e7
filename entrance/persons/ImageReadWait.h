#pragma once

#include <QString>

namespace entrance {

// An image read that waits for its answer: the person and the unit asked, and the result so
// far (0 waiting or no answer, 1 read and stored, -1 not registered on the unit). While one
// exists, the main window hands it the answers that come by local request; the image-read
// dialog holds one for as long as it is open. One at a time: a second raises Exception, the
// first waiting on.
class TImageReadWait {
public:
    TImageReadWait();
    ~TImageReadWait();
    TImageReadWait(const TImageReadWait&) = delete;
    TImageReadWait& operator=(const TImageReadWait&) = delete;

    QString PersonCode;
    int UnitID = 0;
    int ReadResult = 0;

    // Takes an answer line ("code,unit"): the asked person on the asked unit sets 1, an empty
    // code on the asked unit sets -1; any other line changes nothing.
    void TakeAnswer(const QString& answer);

    // The read that waits, or null.
    static TImageReadWait* Current();
};

} // namespace entrance
