#pragma once

// A data set as one value: the four vectors of its split and where it came from. The
// simulated-data command and the import dialog build one; the document loads it.

#include <string>

#include "vecmat/core/Vector.h"

// Where a data set came from, as the panes and the window title report it.
struct DataSource {
    std::string treeRoot;     // the data tree's root: "模拟数据" or "文件数据"
    std::string description;  // the first output line: "创建模拟数据:..." or "导入文件:<path>"
    std::string filePath;     // the property "文件名": the full path, empty for simulated data
    bool fromFile = false;    // the property "文件": "是" or "否"
    std::string title;        // the main window's title
};

struct DataSet {
    pct::Vector trainX;
    pct::Vector trainY;  // as long as trainX
    pct::Vector testX;
    pct::Vector testY;   // as long as testX
    DataSource source;
};
