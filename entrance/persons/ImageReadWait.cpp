#include "ImageReadWait.h"

#include "base/SysUtils.h"
#include "protocol/CommRequests.h"

namespace entrance {

namespace {

TImageReadWait* TheWait = nullptr;

} // namespace

TImageReadWait::TImageReadWait() {
    if (TheWait)
        throw Exception("認証機画像の読み込み中のため、開けませんでした。");
    TheWait = this;
}

TImageReadWait::~TImageReadWait() {
    if (TheWait == this)
        TheWait = nullptr;
}

TImageReadWait* TImageReadWait::Current() {
    return TheWait;
}

// "Not registered" counts only for the unit asked: the communication program also sends
// answers for enrolments on other units, which must not end this wait.
void TImageReadWait::TakeAnswer(const QString& answer) {
    const QStringList items = SplitCommaText(answer);
    if (items.size() != 2)
        return;
    bool isNumber = false;
    const int unit = items[1].toInt(&isNumber);
    if (!isNumber || unit != UnitID)
        return;
    if (items[0].isEmpty())
        ReadResult = -1;
    else if (items[0] == PersonCode)
        ReadResult = 1;
}

} // namespace entrance
