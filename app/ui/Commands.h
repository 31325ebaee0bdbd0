#pragma once

// Command ids of the menus, toolbar and accelerators, their prompts (the status-bar text,
// a line feed, then the tooltip), and the application title.

#include <QString>

namespace trendfit {

enum Command : int {
    ID_CUSTOMIZE = 126,
    ID_SIMULATION_DATA = 32772,
    ID_COMPUTE = 32778,
    ID_EXPORT_IMAGE = 32780,
    ID_COPY_IMAGE = 32781,
    ID_EXPORT_CURVE = 32782,
    ID_VIEW_BAND = 32790,
    ID_VIEW_ALL_CURVES = 32791,
    ID_STABLE_FIT = 32792,
    ID_DEGREE_SWEEP = 32793,
    ID_VIEW_SWEEP = 32794,
    ID_FILE_OPEN = 57601,
    ID_FILE_PRINT_SETUP = 57606,
    ID_FILE_PRINT = 57607,
    ID_FILE_PRINT_PREVIEW = 57609,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

// The application title: the caption of the program's message boxes.
inline QString AppTitle() { return QStringLiteral("Trendfit工具"); }

// The prompt of a command, empty when it has none (the compute command).
QString CommandPrompt(int id);
// The status-bar part of a prompt (before the line feed) and the tooltip part (after it).
QString StatusText(int id);
QString ToolTipText(int id);

}  // namespace trendfit
