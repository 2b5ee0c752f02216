#pragma once

#include "output/core/TDetailForm.h"
#include "output/core/TextChunkSource.h"

#include <memory>

// The detailed form with the user's texts (report kind 20): after the owners
// of every part a block "TEXTOVÉ POZNÁMKY" with the part's text records from
// the area's own text table, printed also when the part has none.
class TTextForm : public TDetailForm
{
public:
    TTextForm(std::shared_ptr<IApp> app, QWidget* owner, const TKUInfo& ku,
              const QString& workTable, const QString& indexName);
    ~TTextForm() override;

    // Height of the memo and of its band for a text of `lines` lines.
    static double MemoHeight(int lines) { return 16.0 * lines; }
    static double TextBandHeight(int lines) { return MemoHeight(lines) + 8; }

    Table TableTexty;

private:
    void OpenTexts();
    ReportSection TextSection();
    bool DSTextyDataChange(ReportBand& band);

    std::unique_ptr<TextChunkSource> m_textSource;
};
