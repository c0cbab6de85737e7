#pragma once

#include "components/report/LRButton.h"

#include <QDialog>
#include <QPointer>

class QFrame;
class QLabel;
class QLineEdit;
class QScrollArea;
class TLightRep;
class TLRPreviewControl;
class TPreviewImage;

// The preview window all reports share: the stored pages of one report with page buttons.
class TrptPreview : public QDialog {
    Q_OBJECT
public:
    explicit TrptPreview(QWidget* parent = nullptr);
    ~TrptPreview() override;

    QFrame* Panel2;
    TLRButton* btnPrint;
    TLRButton* btnPrior;
    TLRButton* btnNext;
    TLRButton* btnClose;
    TLRButton* btnMovePage;
    QLabel* PanelPage;
    QFrame* Panel1;
    QLineEdit* Ed_Page;
    QLabel* pnlMaxPage;
    QScrollArea* ScrollBox1;
    TPreviewImage* Image1;

    // Binds the report's page and preview store; the image takes the page's size.
    void SetReport(TLightRep* page, TLRPreviewControl* preview);
    TLightRep* LightRep() const { return FLightRep; }
    TLRPreviewControl* PreviewControl() const { return FPreview; }

    void Refresh();
    void btnMovePageClick();

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void PlaceImage();
    QPointer<TLightRep> FLightRep;
    TLRPreviewControl* FPreview = nullptr;
    QWidget* FSheet;
    bool FClosing = false;
};

// The shared preview window, or null.
extern TrptPreview* rptPreview;
