#pragma once

// The input dialogs over their models: simulated data, data import, start compute and
// degree sweep.
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
    // Completes the dialog from its own rows in `grid`: the lasso row and the ridge row from
    // `row` on, the buttons (OK reading `okText`), the model's `controls` shown and each
    // weight field enabled as its check box stands.
    void Finish(QGridLayout* grid, int row, const QString& okText, const trendfit::DialogControls& controls);
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
