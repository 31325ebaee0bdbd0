#pragma once

// What every classifier's Train, Test and Classify share: the check of the rows' widths
// and the pass they end with, which judges each row of the table, writes the judgement
// into the row's `result` and counts it. Internal header.

#include <cstddef>
#include <cstdint>

#include "vecmat/Messages.h"
#include "vecmat/classify/LCDataTable.h"

namespace pct::Ko::detail {

// Fails with `message` unless every row holds one value per feature name.
inline void CheckRowWidths(const pct::LCDataTable& table, const char* message) {
    const size_t width = table.featureNames.size();
    for (const pct::LCDataRow& row : table.rows) {
        if (row.values.size() != width) pct::detail::Fail(message);
    }
}

// The counts of one pass, for a classifier judging the tags tagP and tagN.
struct JudgementCounts {
    std::int32_t judgedP = 0;      // rows judged tagP
    std::int32_t judgedN = 0;      // rows judged tagN
    std::int32_t judgedOther = 0;  // rows judged neither
    std::int32_t wrongP = 0;       // judged tagP, own tag differs
    std::int32_t wrongN = 0;       // judged tagN, own tag differs
    std::int32_t taggedP = 0;      // rows whose own tag is tagP
    std::int32_t taggedN = 0;      // rows whose own tag is tagN
    std::int32_t missedP = 0;      // own tag tagP, judged otherwise
    std::int32_t missedN = 0;      // own tag tagN, judged otherwise
};

// Judges the rows in table order with judge(index, row), which returns the judged tag.
// Rows judged before a judge that throws keep their new result.
template <class Judge>
JudgementCounts JudgeRows(pct::LCDataTable& table, int tagP, int tagN, Judge&& judge) {
    JudgementCounts counts;
    for (size_t i = 0; i < table.rows.size(); ++i) {
        pct::LCDataRow& row = table.rows[i];
        const int judged = judge(i, static_cast<const pct::LCDataRow&>(row));
        row.result = judged;
        if (judged == tagP) {
            ++counts.judgedP;
            if (row.tag != judged) ++counts.wrongP;
        } else if (judged == tagN) {
            ++counts.judgedN;
            if (row.tag != judged) ++counts.wrongN;
        } else {
            ++counts.judgedOther;
        }
        if (row.tag == tagP) {
            ++counts.taggedP;
            if (judged != tagP) ++counts.missedP;
        } else if (row.tag == tagN) {
            ++counts.taggedN;
            if (judged != tagN) ++counts.missedN;
        }
    }
    return counts;
}

// Copies the judged counts into a report with judgedP and judgedN.
template <class Report>
void CopyJudged(const JudgementCounts& counts, Report& report) {
    report.judgedP = counts.judgedP;
    report.judgedN = counts.judgedN;
}

// Copies the judged and wrong counts into a report with judgedP/N and wrongP/N.
template <class Report>
void CopyJudgedAndWrong(const JudgementCounts& counts, Report& report) {
    CopyJudged(counts, report);
    report.wrongP = counts.wrongP;
    report.wrongN = counts.wrongN;
}

}  // namespace pct::Ko::detail
