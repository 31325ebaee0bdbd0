#pragma once

// The three input dialogs over their models: simulated data, data import and start compute.
// Each shows its model's members when it opens and writes them back on "OK".

#include "app/ui/ExchangeDialog.h"

class CSimulationDataDlg;
class CFileDataDlg;
class CStartComputeDlg;
class CDegreeSweepDlg;
class QGridLayout;

// "模拟数据": function, range, count, noise and its kind, test percentage.
class SimulationDataDialog : public ExchangeDialog {
    Q_OBJECT
public:
    SimulationDataDialog(CSimulationDataDlg& model, QWidget* parent = nullptr);
};

// "数据导入": the file button reads a file into the model; count and percentage.
class FileDataDialog : public ExchangeDialog {
    Q_OBJECT
public:
    FileDataDialog(CFileDataDlg& model, QWidget* parent = nullptr);
    // What the file button does once a file is chosen (the tests call it directly).
    void OnChooseFile(const QString& path);

private:
    CFileDataDlg& m_model;
};

// A dialog with the two weights, each enabled by its check box.
class WeightedFitDialog : public ExchangeDialog {
    Q_OBJECT
public:
    using ExchangeDialog::ExchangeDialog;

protected:
    // Puts the lasso row and the ridge row into `grid` from `row` on.
    void AddWeightRows(QGridLayout* grid, int row);
    // Enables each weight field as its check box stands; called once the controls show the model.
    void EnableWeightFields();
    // A refused weight whose field is disabled sends the focus to its check box, the
    // control that opens the field again.
    QWidget* FocusTarget(int id) const override;
};

// "开始计算": degree and the two weights.
class StartComputeDialog : public WeightedFitDialog {
    Q_OBJECT
public:
    StartComputeDialog(CStartComputeDlg& model, QWidget* parent = nullptr);
};

// "阶数扫描": lowest and highest degree and the two weights.
class DegreeSweepDialog : public WeightedFitDialog {
    Q_OBJECT
public:
    DegreeSweepDialog(CDegreeSweepDlg& model, QWidget* parent = nullptr);
};
