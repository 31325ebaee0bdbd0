#include "app/core/FileDataDlg.h"

#include <climits>
#include <exception>
#include <stdexcept>
#include <utility>

#include "app/core/TextFormat.h"
#include "app/core/TrendfitDoc.h"
#include "vecmat/MessageText.h"

using trendfit::DataExchange;
using trendfit::DialogControls;
using trendfit::ExchangeResult;

const char* const CFileDataDlg::kOpenFailedMessage = "文件打开失败！";
const char* const CFileDataDlg::kNotTwoColumnsMessage = "文件数据格式不对，可能不是2列数据！";
const char* const CFileDataDlg::kNoFileMessage = "请先选择数据文件。";

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
    if (dx.Result().ok && m_strPath.empty()) return ExchangeResult{false, IDC_CHOOSE_FILE, kNoFileMessage};
    return dx.Result();
}

DataSet CFileDataDlg::GetDataSet() {
    const pct::Matrix& matrix = m_dataModel.GetMatrix();
    const std::size_t n = matrix.GetRowCount();
    // The test share in single precision, like the percentage itself, truncated toward
    // zero. Rounding the row count to float can exceed it, so the share is capped at n.
    const float share = static_cast<float>(n) * m_fTestPercent / 100.0f;
    std::size_t nTest = 0;
    if (static_cast<double>(share) >= static_cast<double>(n)) {
        nTest = n;
    } else if (share > 0.0f) {
        nTest = static_cast<std::size_t>(share);
    }
    const std::size_t nTrain = n - nTest;

    DataSet data;
    data.trainX = pct::Vector(nTrain);
    data.trainY = pct::Vector(nTrain);
    for (std::size_t r = 0; r < nTrain; ++r) {
        data.trainX.SetValue(r, matrix.GetPointValue(r, 0));
        data.trainY.SetValue(r, matrix.GetPointValue(r, 1));
    }
    data.testX = pct::Vector(nTest);
    data.testY = pct::Vector(nTest);
    for (std::size_t r = nTrain; r < n; ++r) {
        data.testX.SetValue(r - nTrain, matrix.GetPointValue(r, 0));
        data.testY.SetValue(r - nTrain, matrix.GetPointValue(r, 1));
    }
    data.source.treeRoot = CTrendfitDoc::kFileRoot;
    data.source.description = trendfit::Format("导入文件:%s", {m_strPath});
    data.source.filePath = m_strPath;
    data.source.fromFile = true;
    data.source.title = m_strFileName + CTrendfitDoc::kTitleSuffix;
    return data;
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
        // the user sees what is wrong with which file and may choose another one. The
        // reader's own conversion messages are the standard library's English ones.
        m_dataModel = pct::DataModel();
        std::string message = pct::MessageToUtf8(e.what());
        if (dynamic_cast<const std::invalid_argument*>(&e) != nullptr) {
            message = trendfit::Format("文件中有无法转换为数字的内容：%s", {fullPath});
        } else if (dynamic_cast<const std::out_of_range*>(&e) != nullptr) {
            message = trendfit::Format("文件中有超出范围的数字：%s", {fullPath});
        }
        return FileChoiceResult{FileChoice::ReadError, message};
    }
    m_dataModel = std::move(model);
    if (!read) return FileChoiceResult{FileChoice::OpenFailed, kOpenFailedMessage};
    pct::Matrix& matrix = m_dataModel.GetMatrix();
    if (matrix.GetColumnCount() != 2) return FileChoiceResult{FileChoice::NotTwoColumns, kNotTwoColumnsMessage};
    const std::size_t rows = matrix.GetRowCount();
    m_nCount = rows > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(rows);
    return FileChoiceResult{FileChoice::Read, std::string()};
}
