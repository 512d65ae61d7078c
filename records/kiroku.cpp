#include "records/kiroku.h"

#include "records/recordgrid.h"
#include "kit/app.h"
#include "kit/kit.h"
#include "kit/widgets.h"
#include "users/userstore.h"

TForm8::TForm8()
    : Screen({.title = QStringLiteral("きろく"), .kind = Kind::FullScreen, .fontPx = 24})
{
}

void TForm8::FormCreate()
{
    Label1 = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("の記録"), {16, 8}, 35, Qt::white);
    kit::buttons(this, {
        {{"Label2", &Label2}, {"Image1", &Image1}, QStringLiteral("もどる"), {711, 20}, {704, 0}, {81, 65}, 24,
         Qt::AllButtons, [this] { Label2Click(); }},
    });
    StringGrid1 = new RecordGrid(this, QStringLiteral("StringGrid1"),
                                 {.geometry = QRect(11, 65, 776, 516),
                                  .columnWidths = {110, 209, 131, 173, 148},
                                  .rowHeight = 50,
                                  .fontPx = 37,
                                  .border = false,
                                  .rows = 2});
}

void TForm8::FormActivate()
{
    const QString name = state().userName;
    Label1->setText(name + QStringLiteral("さんの記録"));
    Label1->adjustSize();
    StringGrid1->setRow(0, userstore::recordHeader());
    // A missing or unreadable file stops here: the title and the header row stay.
    StringGrid1->load(userstore::readHistory(name));
}

void TForm8::FormCloseQuery() { StringGrid1->clearCells(); }

void TForm8::Label2Click() { Close(); }
