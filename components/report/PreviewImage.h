#pragma once

#include "components/dib/MoDIB.h"

#include <QWidget>
#include <memory>

// The picture of a preview page, drawn stretched over the whole control.
class TPreviewImage : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewImage(QWidget* parent = nullptr);
    // The picture shown, or null.
    const TMoDIB* Picture() const { return FPicture.get(); }
    void SetPicture(std::unique_ptr<TMoDIB> picture);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<TMoDIB> FPicture;
};
