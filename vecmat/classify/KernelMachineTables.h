#pragma once

// What SupportVectorMachine and SMOClassifier do alike: owning the kernel, checking tables
// and judging them in Train, Test and Classify. Internal header.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "vecmat/Messages.h"
#include "vecmat/classify/ClassifierReports.h"
#include "vecmat/classify/ISVMKernelFunction.h"
#include "vecmat/classify/JudgeRows.h"
#include "vecmat/classify/LCDataTable.h"
#include "vecmat/core/Vector.h"

namespace pct::Ko::detail {

// Takes ownership of `kernel` (null: a new linear kernel); kernels are destroyed through
// their own Release.
std::shared_ptr<ISVMKernelFunction> OwnKernel(ISVMKernelFunction* kernel);

// Fails with `message` when a row's tag is neither 1 nor -1.
void CheckTags(const pct::LCDataTable& table, const char* message);

// Where each table column goes in the trained layout; fails with the test header message
// when the table's names are not exactly the trained ones.
std::vector<std::size_t> TrainedPositions(const pct::LCDataTable& table,
                                          const std::map<std::string, std::size_t>& featureIndex);

// Judges the training rows with judge(index), which returns 1 or -1.
template <class Judge>
pct::Ko::SVMTrainingReport JudgeTrainingRows(pct::LCDataTable& table, Judge&& judge) {
    pct::Ko::SVMTrainingReport report;
    report.trained = true;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    CopyJudgedAndWrong(JudgeRows(table, 1, -1, [&judge](std::size_t i, const pct::LCDataRow&) { return judge(i); }),
                       report);
    return report;
}

// Test of a machine trained on the features `featureIndex`: each row's columns are matched
// to the trained ones by name, and machine.Classify judges the sample. Checks row widths,
// then the header, then the tags.
template <class Machine>
pct::Ko::SVMTestReport TestRows(Machine& machine, const std::map<std::string, std::size_t>& featureIndex,
                                pct::LCDataTable& table) {
    CheckRowWidths(table, pct::msg::kTableDataError);
    const std::vector<std::size_t> position = TrainedPositions(table, featureIndex);
    CheckTags(table, pct::msg::kSvmTestTagInvalid);

    pct::Ko::SVMTestReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    CopyJudgedAndWrong(JudgeRows(table, 1, -1,
                                 [&machine, &position](std::size_t, const pct::LCDataRow& row) {
                                     pct::Vector sample(row.values.size());
                                     for (std::size_t j = 0; j < row.values.size(); ++j)
                                         sample.SetValue(position[j], row.values[j]);
                                     return machine.Classify(sample);
                                 }),
                       report);
    return report;
}

// Classify: each row's columns taken in table order.
template <class Machine>
pct::Ko::SVMClassifyReport ClassifyRows(Machine& machine, pct::LCDataTable& table) {
    CheckRowWidths(table, pct::msg::kTableDataError);
    pct::Ko::SVMClassifyReport report;
    report.rowCount = static_cast<std::int32_t>(table.rows.size());
    CopyJudged(JudgeRows(table, 1, -1,
                         [&machine](std::size_t, const pct::LCDataRow& row) {
                             return machine.Classify(pct::Vector(row.values));
                         }),
               report);
    return report;
}

}  // namespace pct::Ko::detail
