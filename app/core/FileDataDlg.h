#pragma once

// The data-import dialog without widgets: the chosen file, its row count, the test
// percentage and the data model the file button fills.

#include <string>

#include "app/core/DataSet.h"
#include "app/core/DialogExchange.h"
#include "vecmat/regression/DataModel.h"

class CFileDataDlg {
public:
    enum { IDD = 320 };  // caption "数据导入"
    // Control ids; the edits are listed in exchange order.
    enum {
        IDC_PATH = 1011,          // read-only edit, label "数据文件"; shown, not copied back
        IDC_COUNT = 1013,         // read-only edit, label "数据个数"
        IDC_TEST_PERCENT = 1014,  // edit, label "测试数据占比", followed by "%"
        IDC_CHOOSE_FILE = 1012,   // button "选择文件": runs OnChooseFile
    };

    static const char* const kOpenFailedMessage;  // "文件打开失败！"
    static const char* const kNotTwoColumnsMessage;  // "文件数据格式不对，可能不是2列数据！"
    static const char* const kNoFileMessage;  // "请先选择数据文件。"

    std::string m_strPath;      // full path of the chosen file (UTF-8); set by the file button only
    std::string m_strFileName;  // its name without the directory; set by the file button only
    int m_nCount = 0;           // data rows of the file read
    float m_fTestPercent = 20.0f;  // 0 ... 100
    pct::DataModel m_dataModel;    // what the last chosen file yielded (empty when unread)

    trendfit::DialogControls ToControls() const;
    // Copies the count and the percentage boxes into the members, checking the percentage,
    // then refuses OK (kNoFileMessage, on IDC_CHOOSE_FILE) while no file has been chosen:
    // confirming nothing would wipe the loaded data. The read-only path box is shown but
    // not copied back (see m_strPath).
    trendfit::ExchangeResult FromControls(const trendfit::DialogControls& controls);

    // The data set the dialog's OK imports: the model's rows split by position at the
    // percentage (the first rows train, the last n * percentage / 100 test), columns 0
    // and 1 as x and y. Throws the library's exception when a row lacks column 1.
    DataSet GetDataSet();

    // What the file button's read came to.
    enum class FileChoice {
        Read,           // two columns: m_nCount holds the rows; show ToControls()
        OpenFailed,     // ReadCSV answered false
        NotTwoColumns,  // read, but not two columns; the model keeps what it read
        ReadError,      // the reader failed (a cell that is not a number, or out of range)
    };
    struct FileChoiceResult {
        FileChoice choice = FileChoice::Read;
        // The message box to show, empty for none.
        std::string message;
    };

    // Runs after the user picked a file in the file dialog (a cancelled file dialog does not
    // call it). fullPath is the path to show (UTF-8); localPath is the same path in the
    // file system's encoding, handed to the reader. A cell that is not a number or out of
    // range gives a Chinese message naming the file ("文件中有无法转换为数字的内容：<path>",
    // "文件中有超出范围的数字：<path>"). Sets m_strPath and m_strFileName, reads
    // the file into a new model that replaces m_dataModel (an unopened or unreadable file
    // leaves it empty, a file of titles only has no columns) and, for a two-column file,
    // sets m_nCount. The controls are to be refreshed from ToControls() only for
    // FileChoice::Read.
    FileChoiceResult OnChooseFile(const std::string& fullPath, const std::string& localPath);
    FileChoiceResult OnChooseFile(const std::string& fullPath) { return OnChooseFile(fullPath, fullPath); }

    // The last part of a path, after its last '/' or '\\'.
    static std::string FileNameOf(const std::string& path);
};
