#include "app/ui/DataDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/DegreeSweepDlg.h"
#include "app/core/FileDataDlg.h"
#include "app/core/SimulationDataDlg.h"
#include "app/core/StartComputeDlg.h"
#include "app/ui/Commands.h"

namespace {

QLabel* Label(const char* text, QWidget* parent) { return new QLabel(QString::fromUtf8(text), parent); }

}  // namespace

SimulationDataDialog::SimulationDataDialog(CSimulationDataDlg& model, QWidget* parent)
    : ExchangeDialog("模拟数据", [&model](const auto& c) { return model.FromControls(c); }, parent) {
    using M = CSimulationDataDlg;
    auto* functions = new QGroupBox("选择模拟数据函数", this);
    auto* functionRow = new QHBoxLayout(functions);
    for (QAbstractButton* b : AddRadioGroup(M::IDC_FUNCTION, {"y=sin(x)", "y=x*x", "y=1/x(x>0)"})->buttons()) {
        functionRow->addWidget(b);
    }

    auto* range = new QGroupBox("自变量x", this);
    auto* rangeRow = new QHBoxLayout(range);
    rangeRow->addWidget(Label("数值范围", range));
    rangeRow->addWidget(AddEdit(M::IDC_X_MIN));
    rangeRow->addWidget(Label("---", range));
    rangeRow->addWidget(AddEdit(M::IDC_X_MAX));
    rangeRow->addSpacing(16);
    rangeRow->addWidget(Label("数值个数", range));
    rangeRow->addWidget(AddEdit(M::IDC_COUNT));

    auto* noise = new QGroupBox("数据误差", this);
    auto* noiseRow = new QHBoxLayout(noise);
    noiseRow->addWidget(Label("模拟数据噪声误差值", noise));
    noiseRow->addWidget(AddEdit(M::IDC_NOISE));
    for (QAbstractButton* b : AddRadioGroup(M::IDC_NOISE_TYPE, {"均匀分布", "正态分布"})->buttons()) {
        noiseRow->addWidget(b);
    }

    auto* percentRow = new QHBoxLayout;
    percentRow->addWidget(Label("测试数据占比", this));
    QLineEdit* percent = AddEdit(M::IDC_TEST_PERCENT);
    percent->setMaximumWidth(60);
    percentRow->addWidget(percent);
    percentRow->addWidget(Label("%", this));
    percentRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(functions);
    layout->addWidget(range);
    layout->addWidget(noise);
    layout->addLayout(percentRow);
    layout->addLayout(CreateButtons("确定"));
    ShowControls(model.ToControls());
}

FileDataDialog::FileDataDialog(CFileDataDlg& model, QWidget* parent)
    : ExchangeDialog("数据导入", [&model](const auto& c) { return model.FromControls(c); }, parent),
      m_model(model) {
    using M = CFileDataDlg;
    auto* grid = new QGridLayout;
    grid->addWidget(Label("数据文件", this), 0, 0);
    QLineEdit* path = AddEdit(M::IDC_PATH, true);
    path->setMinimumWidth(320);
    grid->addWidget(path, 0, 1, 1, 4);
    auto* choose = new QPushButton("选择文件", this);
    choose->setObjectName(QString::number(M::IDC_CHOOSE_FILE));
    choose->setAutoDefault(false);
    grid->addWidget(choose, 0, 5);
    grid->addWidget(Label("数据个数", this), 1, 0);
    grid->addWidget(AddEdit(M::IDC_COUNT, true), 1, 1);
    grid->addWidget(Label("测试数据占比", this), 1, 2);
    QLineEdit* percent = AddEdit(M::IDC_TEST_PERCENT);
    percent->setMaximumWidth(60);
    grid->addWidget(percent, 1, 3);
    grid->addWidget(Label("%", this), 1, 4);

    connect(choose, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this);
        if (!file.isEmpty()) OnChooseFile(file);
    });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(CreateButtons("确定"));
    ShowControls(model.ToControls());
}

void FileDataDialog::OnChooseFile(const QString& path) {
    const auto result = m_model.OnChooseFile(path.toStdString(), QFile::encodeName(path).toStdString());
    if (result.choice == CFileDataDlg::FileChoice::Read) {
        ShowControls(m_model.ToControls());
    } else if (!result.message.empty()) {
        QMessageBox::warning(this, trendfit::AppTitle(), QString::fromStdString(result.message));
    }
}

void WeightedFitDialog::Finish(QGridLayout* grid, int row, const QString& okText,
                               const trendfit::DialogControls& controls) {
    using M = CStartComputeDlg;
    for (int checkId : {M::IDC_LASSO, M::IDC_RIDGE}) {
        QCheckBox* check = AddCheck(checkId, checkId == M::IDC_LASSO ? "L1 lasso回归" : "L2 岭回归(Ridge)");
        QLineEdit* weight = AddEdit(M::WeightFieldFor(checkId));
        grid->addWidget(check, row, 0);
        grid->addWidget(weight, row, 1);
        connect(check, &QCheckBox::toggled, weight,
                [weight](bool on) { weight->setEnabled(M::IsWeightFieldEnabled(on ? 1 : 0)); });
        ++row;
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(CreateButtons(okText));
    ShowControls(controls);
    // A box left clear does not toggle, so each field takes its box's state here.
    for (int checkId : {M::IDC_LASSO, M::IDC_RIDGE}) {
        const bool on = static_cast<QCheckBox*>(Control(checkId))->isChecked();
        Control(M::WeightFieldFor(checkId))->setEnabled(M::IsWeightFieldEnabled(on ? 1 : 0));
    }
}

QWidget* WeightedFitDialog::FocusTarget(int id) const {
    QWidget* field = Control(id);
    if (field == nullptr || field->isEnabled()) return field;
    for (int checkId : {CStartComputeDlg::IDC_LASSO, CStartComputeDlg::IDC_RIDGE}) {
        if (CStartComputeDlg::WeightFieldFor(checkId) == id) return Control(checkId);
    }
    return field;
}

StartComputeDialog::StartComputeDialog(CStartComputeDlg& model, QWidget* parent)
    : WeightedFitDialog("开始计算", [&model](const auto& c) { return model.FromControls(c); }, parent) {
    auto* grid = new QGridLayout;
    grid->addWidget(Label("线性次数", this), 0, 0);
    grid->addWidget(AddEdit(CStartComputeDlg::IDC_DEGREE), 0, 1);
    Finish(grid, 1, "开始计算", model.ToControls());
}

DegreeSweepDialog::DegreeSweepDialog(CDegreeSweepDlg& model, QWidget* parent)
    : WeightedFitDialog("阶数扫描", [&model](const auto& c) { return model.FromControls(c); }, parent) {
    auto* grid = new QGridLayout;
    grid->addWidget(Label("最低阶数", this), 0, 0);
    grid->addWidget(AddEdit(CDegreeSweepDlg::IDC_LOW_DEGREE), 0, 1);
    grid->addWidget(Label("最高阶数", this), 1, 0);
    grid->addWidget(AddEdit(CDegreeSweepDlg::IDC_HIGH_DEGREE), 1, 1);
    Finish(grid, 2, "开始扫描", model.ToControls());
}
