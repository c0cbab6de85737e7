#include "ui/MaxBytes.h"

#include "base/Text.h"

#include <QLineEdit>
#include <QValidator>

namespace {

class TMaxBytesValidator : public QValidator {
public:
    TMaxBytesValidator(int bytes, QObject* parent) : QValidator(parent), FBytes(bytes) {}

    State validate(QString& input, int&) const override {
        return CP932Length(input) <= FBytes ? Acceptable : Invalid;
    }

private:
    int FBytes;
};

} // namespace

void SetMaxBytes(QLineEdit* edit, int bytes) {
    const QValidator* old = edit->validator();
    edit->setValidator(bytes > 0 ? new TMaxBytesValidator(bytes, edit) : nullptr);
    delete old;
}
