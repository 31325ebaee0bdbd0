#pragma once

// A dialog whose controls are exchanged with a dialog model by control id. "OK" copies the
// controls into the model; when a field fails its check the dialog shows the model's
// message, focuses that field and stays open. Each control's object name is its id.

#include <QDialog>

#include <functional>
#include <map>

#include "app/core/DialogExchange.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QPushButton;

class ExchangeDialog : public QDialog {
    Q_OBJECT
public:
    using Exchange = std::function<trendfit::ExchangeResult(const trendfit::DialogControls&)>;

    ExchangeDialog(const QString& caption, Exchange exchange, QWidget* parent);

    // The state of the controls, as the model reads it.
    trendfit::DialogControls Controls() const;
    // Shows the model's members in the controls.
    void ShowControls(const trendfit::DialogControls& controls);
    // The control with this id (a radio group's first button), null when there is none.
    QWidget* Control(int id) const;
    QPushButton* OkButton() const { return m_ok; }

    void accept() override;

protected:
    // The widget that takes the focus when control `id` is refused: the control itself,
    // unless a subclass knows better (a disabled field cannot take it).
    virtual QWidget* FocusTarget(int id) const { return Control(id); }
    // The edit that has the focus when the dialog comes up shows its text selected, so
    // typing replaces it.
    void showEvent(QShowEvent* event) override;

    QLineEdit* AddEdit(int id, bool readOnly = false);
    // A radio group keyed by `id`; button i gets the object name id + i.
    QButtonGroup* AddRadioGroup(int id, const QStringList& texts);
    QCheckBox* AddCheck(int id, const QString& text);
    // "OK" (with the given text) and "取消" at the bottom right.
    QLayout* CreateButtons(const QString& okText);

private:
    Exchange m_exchange;
    std::map<int, QLineEdit*> m_edits;
    std::map<int, QButtonGroup*> m_radios;
    std::map<int, QCheckBox*> m_checks;
    QPushButton* m_ok = nullptr;
};
