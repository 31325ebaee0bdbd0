#include "vecmat/classify/KernelMachineTables.h"

namespace pct::Ko::detail {

std::shared_ptr<ISVMKernelFunction> OwnKernel(ISVMKernelFunction* kernel) {
    if (kernel == nullptr) kernel = new SVMLinearKernel();
    return std::shared_ptr<ISVMKernelFunction>(kernel, [](ISVMKernelFunction* k) { k->Release(); });
}

void CheckTags(const pct::LCDataTable& table, const char* message) {
    for (const pct::LCDataRow& row : table.rows) {
        if (row.tag != 1 && row.tag != -1) pct::detail::Fail(message);
    }
}

std::vector<std::size_t> TrainedPositions(const pct::LCDataTable& table,
                                          const std::map<std::string, std::size_t>& featureIndex) {
    if (table.featureNames.size() != featureIndex.size()) pct::detail::Fail(pct::msg::kSvmTestHeaderMismatch);
    std::vector<std::size_t> position;
    position.reserve(table.featureNames.size());
    for (const std::string& name : table.featureNames) {
        const auto found = featureIndex.find(name);
        if (found == featureIndex.end()) pct::detail::Fail(pct::msg::kSvmTestHeaderMismatch);
        position.push_back(found->second);
    }
    return position;
}

}  // namespace pct::Ko::detail
