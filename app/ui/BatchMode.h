#pragma once

// `trendfit --batch`: the document's commands without a window. Simulates data or imports
// a file, computes one curve, prints the lines the window's "信息" tab would show, and
// renders the chart with the window's drawing code to a PNG or SVG file (with the band on
// request). The curve's figures follow the output lines (--report) or go to a JSON file
// (--json).

#include <QStringList>

#include <iosfwd>

namespace trendfit {

// The text of `trendfit --help`.
QString BatchUsage();

// Runs batch mode with the program's arguments (without the program name). Writes the
// output lines to `out` and problems to `err`; returns the exit status: 0 on success,
// 2 for bad options or a failed command. Needs a QGuiApplication for text rendering.
int RunBatch(const QStringList& arguments, std::ostream& out, std::ostream& err);

}  // namespace trendfit
