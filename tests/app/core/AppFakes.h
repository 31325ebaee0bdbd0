#pragma once

// Fakes of the platform, the panes and the painter for the program's logic tests.

#include <cmath>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/AppInterfaces.h"
#include "app/core/DegreeSweepDlg.h"
#include "app/core/PlatformServices.h"
#include "app/core/FileDataDlg.h"
#include "app/core/SimulationDataDlg.h"
#include "app/core/StartComputeDlg.h"
#include "app/core/TextFormat.h"
#include "tests/app/core/RecordingPainter.h"

namespace app_fakes {

using chart_test::RecordingPainter;

// A task's progress as a test sets and reads it.
class FakeProgress : public ITaskProgress {
public:
    bool cancelled = false;
    std::vector<std::pair<int, int>> reports;  // (done, total) in order
    void SetProgress(int done, int total) override { reports.emplace_back(done, total); }
    bool IsCancelled() const override { return cancelled; }
};

// Answers each dialog with a scripted action (none: cancelled) and records what the
// document asks of the window system.
class FakePlatform : public IPlatformServices {
public:
    std::function<bool(CSimulationDataDlg&)> simulation;
    std::function<bool(CFileDataDlg&)> file;
    std::function<bool(CStartComputeDlg&)> compute;
    std::function<bool(CDegreeSweepDlg&)> sweep;
    std::vector<std::string> messageBoxes;
    std::vector<std::string> titles;
    int updates = 0;
    std::vector<std::uint64_t> ticks;  // handed out in turn; 0 once used up
    std::size_t ticksRead = 0;
    // When set, the user cancels every task: it still runs to its end here, as a worker
    // left alone does, but the answer is "cancelled".
    bool cancelTasks = false;
    // When set, the user cancels the tasks whose label it accepts.
    std::function<bool(const std::string&)> cancelWhen;
    std::vector<std::string> taskLabels;
    std::vector<std::pair<int, int>> taskProgress;  // every (done, total) the tasks reported

    bool DoModal(CSimulationDataDlg& dlg) override { return simulation && simulation(dlg); }
    bool DoModal(CFileDataDlg& dlg) override { return file && file(dlg); }
    bool DoModal(CStartComputeDlg& dlg) override { return compute && compute(dlg); }
    bool DoModal(CDegreeSweepDlg& dlg) override { return sweep && sweep(dlg); }
    void MessageBox(const std::string& text) override { messageBoxes.push_back(text); }
    void SetWindowTitle(const std::string& title) override { titles.push_back(title); }
    void UpdateAllViews() override { ++updates; }
    std::uint64_t GetTickCount64() override {
        return ticksRead < ticks.size() ? ticks[ticksRead++] : (++ticksRead, 0);
    }
    bool RunCancellable(const std::function<void(ITaskProgress&)>& task, const std::string& label) override {
        taskLabels.push_back(label);
        FakeProgress progress;
        progress.cancelled = cancelTasks || (cancelWhen && cancelWhen(label));
        task(progress);
        taskProgress.insert(taskProgress.end(), progress.reports.begin(), progress.reports.end());
        return !progress.cancelled;
    }
};

// The three panes in one object, recording every report as a line of text.
class FakePanes : public IOutputMessage, public IDataTreeView, public IPropetyChange {
public:
    std::vector<std::string> output;      // tab 0 lines
    std::vector<std::string> tree;        // "root:<text>" or "item:<name>#<index>"
    std::vector<std::string> properties;  // "<name>=<value>" or "count:<train>,<test>"
    std::vector<CurveResult> shownCurves;
    bool selectAddedItems = false;  // as the window's tree: a new item becomes current

    void AddMessage(int nTab, const std::string& strText) override {
        output.push_back(nTab == 0 ? strText : "tab" + std::to_string(nTab) + ":" + strText);
    }
    void ClearMessages(int) override {}
    void ResetDataTree(const std::string& strRoot) override { tree.push_back("root:" + strRoot); }
    void AddCurveItem(const std::string& strName, int nCurve) override {
        tree.push_back("item:" + strName + "#" + std::to_string(nCurve));
        if (selectAddedItems && g_pDataDoc != nullptr) g_pDataDoc->SelectCurve(nCurve);
    }
    void SetPropertyValue(const std::string& strName, const std::string& strValue) override {
        properties.push_back(strName + "=" + strValue);
    }
    void SetDataCount(int nTrain, int nTest) override {
        properties.push_back("count:" + std::to_string(nTrain) + "," + std::to_string(nTest));
    }
    void ShowCurve(const CurveResult& curve) override { shownCurves.push_back(curve); }
    void ClearCurve() override { properties.push_back("curve:cleared"); }

    void Register() {
        g_pOutputMessage = this;
        g_pDataTreeView = this;
        g_pPropetyChange = this;
    }
    static void Unregister() {
        g_pOutputMessage = nullptr;
        g_pDataTreeView = nullptr;
        g_pPropetyChange = nullptr;
    }
};

// The highest degree whose powers of m (> 1) stay finite, found by trying each: m^d for the
// stable fit, n (m^d)^2 (n squares summed) for the normal equations.
inline int PowersLimit(double m, double n, bool stable) {
    auto finite = [&](int d) {
        const double p = std::pow(m, d);
        return stable ? std::isfinite(p) : std::isfinite(n * (p * p));
    };
    int d = 0;
    while (finite(d + 1)) ++d;
    return d;
}

// Writes a scratch file under the test temporary directory and returns its path.
inline std::string WriteFile(const std::string& name, const std::string& content) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream out(path, std::ios::binary);
    out << content;
    return path;
}

}  // namespace app_fakes
