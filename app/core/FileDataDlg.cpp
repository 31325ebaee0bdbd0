#include "app/core/FileDataDlg.h"

#include <climits>
#include <exception>
#include <utility>

#include "vecmat/MessageText.h"

using trendfit::DataExchange;
using trendfit::DialogControls;
using trendfit::ExchangeResult;

const char* const CFileDataDlg::kOpenFailedMessage = "文件打开失败！";
const char* const CFileDataDlg::kNotTwoColumnsMessage = "文件数据格式不对，可能不是2列数据！";

DialogControls CFileDataDlg::ToControls() const {
    DialogControls controls;
    controls.texts[IDC_PATH] = m_strPath;
    controls.texts[IDC_COUNT] = trendfit::IntText(m_nCount);
    controls.texts[IDC_TEST_PERCENT] = trendfit::FloatText(m_fTestPercent);
    return controls;
}

ExchangeResult CFileDataDlg::FromControls(const DialogControls& controls) {
    DataExchange dx(controls);
    // The path box is read-only and only the file button sets the path. After a refused
    // choice the box still shows the earlier file while the members name the new one, so
    // the path is kept as the button set it: the path, the file name and the model's data
    // always belong to one file.
    dx.Int(IDC_COUNT, m_nCount, INT_MIN, INT_MAX);
    dx.Float(IDC_TEST_PERCENT, m_fTestPercent, 0.0f, 100.0f);
    return dx.Result();
}

std::string CFileDataDlg::FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

CFileDataDlg::FileChoiceResult CFileDataDlg::OnChooseFile(const std::string& fullPath,
                                                          const std::string& localPath) {
    m_strPath = fullPath;
    m_strFileName = FileNameOf(fullPath);
    // Every choice reads into an empty model, which then replaces the old one whatever the
    // read came to. The reader leaves a model unchanged when it fails and keeps the old
    // matrix for a file with a title line only, so reading into the old model would let the
    // previous file's rows pass for the new file's.
    pct::DataModel model;
    bool read = false;
    try {
        read = model.ReadCSV(localPath.c_str());
    } catch (const std::exception& e) {
        // A cell that is not a number (or an unreadable shape) must not end the program:
        // the user sees the reader's message and may choose another file.
        m_dataModel = pct::DataModel();
        return FileChoiceResult{FileChoice::ReadError, pct::MessageToUtf8(e.what())};
    }
    m_dataModel = std::move(model);
    if (!read) return FileChoiceResult{FileChoice::OpenFailed, kOpenFailedMessage};
    pct::Matrix& matrix = m_dataModel.GetMatrix();
    if (matrix.GetColumnCount() != 2) return FileChoiceResult{FileChoice::NotTwoColumns, kNotTwoColumnsMessage};
    const std::size_t rows = matrix.GetRowCount();
    m_nCount = rows > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(rows);
    return FileChoiceResult{FileChoice::Read, std::string()};
}
