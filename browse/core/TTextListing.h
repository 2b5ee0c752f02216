#pragma once

#include "app/core/TKUInfo.h"
#include "browse/core/RowProgress.h"
#include "browse/core/TAreaSums.h"
#include "browse/core/TListingData.h"

#include <QDate>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class Dataset;

// The plain-text listings of the marked parts of a work table: the short
// listing (one line a part), the full listing (a section a part with owners,
// records and the page extras), the owners listing and the area summary.
// Lines go to a sink, which writes them to a file or lays them out on
// printer pages; the printer shows the marked bold spans in bold.
class TTextListing
{
public:
    enum Kind
    {
        ShortListing = 0,
        FullListing = 1,
        OwnersListing = 254,
        AreaSummary = 255
    };
    // The browser's detail page whose extras the full listing adds.
    enum Page
    {
        PageText,
        PageBonita,
        PageUsers,
        PagePK
    };

    struct Line
    {
        QString text;
        QList<QPair<int, int>> bold; // (start, length) within text
    };
    using LineSink = std::function<void(const Line&)>;

    // Progress of the rows: started with the row count, stepped per row;
    // a step returning true stops the listing (what was written stays).
    using Progress = RowProgress;

    struct Setup
    {
        TKUInfo ku;
        QString workDbPath;    // code tables
        QString workTablePath; // the work table's .DB file
        QString order;         // fields of the work table's order ("" key order)
        QString companyName;
        QDate date;         // "Vyhotoveno"
        int listNumber = 0; // > 0 ownership sheet, < 0 minus an evidence list
        int page = PageText;
        bool paging = false;
        int linesPerPage = 64;
    };
    // One row of an owners list given by the caller (kind 254).
    struct OwnerRow
    {
        qint64 ellvcis = 0;
        double ident = 0;
        QString nazev;
    };

    // The rows of an owner list in its order (columns ELLVCIS, IDENT, NAZEV,
    // as the sheet dialog lists them); the list's cursor does not move.
    static QList<OwnerRow> OwnerRowsOf(const Dataset& list);

    TTextListing(Setup setup, LineSink sink = {}, Progress progress = {});

    void SetSink(LineSink sink) { m_sink = std::move(sink); }
    void SetProgress(Progress progress) { m_progress = std::move(progress); }
    const Setup& GetSetup() const { return m_setup; }

    // The channel: a file has no margin and no page numbers; a printer copy
    // starts at page 1 with the printer margin (in characters).
    void StartFile();
    void StartPrinterCopy(int margin);

    // Writes the listing of `kind`; owners and sums are used by 254 and 255.
    void Run(int kind, const QList<OwnerRow>& owners = {}, const TAreaSums& sums = {});

    void WriteShortListing();
    void WriteFullListing();
    void WriteOwnersListing(const QList<OwnerRow>& owners);
    void WriteAreaSummary(const TAreaSums& sums);

    int PageNumber() const { return m_page; }
    int LineCounter() const { return m_lines; }

private:
    struct WorkRow;
    void Write(const QString& text, QList<QPair<int, int>> bold = {});
    // Text parts, each optionally bold, joined on one line.
    void WriteParts(const QList<QPair<QString, bool>>& parts);
    void FormFeed();
    void WriteTitleBlock();
    void WritePageHeader();
    void WriteSheetHeader();
    void WriteOwnershipSheetHeader();
    void WriteEvidenceListHeader();
    void WriteSupplement(int sheet, qint64 parcelKey, int group);
    void WritePartHeading(const WorkRow& row);
    void WritePartValues(const WorkRow& row, const TListingData::Part& part);
    void WriteFirstUser(const TListingData::Part& part);
    void WriteOwnersOfPart(const WorkRow& row, const TListingData::Part& part);
    void WriteOwnerList(int lv, bool registered);
    void WritePageExtras(const WorkRow& row);
    void WriteOlderRegister(const WorkRow& row);
    QString ShortRow(const WorkRow& row);
    // Every marked row of the work table in its order; stops when the
    // progress asks to.
    void ForEachMarkedRow(const std::function<void(const WorkRow&)>& write);

    Setup m_setup;
    LineSink m_sink;
    Progress m_progress;
    TListingData m_data;
    int m_margin = 0;
    int m_page = -1;
    int m_lines = 0;
};
