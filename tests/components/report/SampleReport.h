#pragma once

#include "components/report/LRPrvSpl.h"
#include "tests/common/TempFolder.h"

#include <QWidget>

// A small report over numbered rows: a header with the title and the page number, a grid of
// rows, and a footer; it counts how often each band printed.
class TSampleReport : public QWidget {
public:
    explicit TSampleReport(int rows, int rowsPerPage = 10);
    // Back to the first row, as a report does before it prints.
    void Rewind();
    // Prints the way the report forms do: one page per call until the rows end.
    void Print();
    // Renders every page into the store and shows the first, as the report forms do.
    void Preview(TLRPreviewControl& preview, TPreviewImage* image);
    bool Eof() const { return FRow >= FRows; }

    TLightRep* LightRep1;
    TLRLayoutPanel* LRLayoutPanel1;
    TLRItem* ItmTitle;
    TLRItem* ItmPage;
    TLRGridPanel* LRGridPanel1;
    TLRItem* ItmName;
    TLRItem* ItmNo;
    int HeaderCount = 0;
    QList<int> PagesSeen;

private:
    int FRows;
    int FRow = 0;
};

// A form with a page and one band holding one item, for items tested alone.
template <class TItem> struct TItemOnBand {
    QWidget form;
    TLightRep page{&form};
    TLRLayoutPanel* band = new TLRLayoutPanel(&page);
    TItem* item = new TItem(band);
};

// What a program wrote to its standard output.
QString RunTool(const QString& program, const QStringList& args);
