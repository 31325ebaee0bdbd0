#include "app/ui/ExchangeDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include "app/ui/Commands.h"

ExchangeDialog::ExchangeDialog(const QString& caption, Exchange exchange, QWidget* parent)
    : QDialog(parent), m_exchange(std::move(exchange)) {
    setWindowTitle(caption);
    setModal(true);
}

QLineEdit* ExchangeDialog::AddEdit(int id, bool readOnly) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::number(id));
    edit->setReadOnly(readOnly);
    m_edits[id] = edit;
    return edit;
}

QButtonGroup* ExchangeDialog::AddRadioGroup(int id, const QStringList& texts) {
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < texts.size(); ++i) {
        auto* button = new QRadioButton(texts[i], this);
        button->setObjectName(QString::number(id + i));
        group->addButton(button, i);
    }
    m_radios[id] = group;
    return group;
}

QCheckBox* ExchangeDialog::AddCheck(int id, const QString& text) {
    auto* check = new QCheckBox(text, this);
    check->setObjectName(QString::number(id));
    m_checks[id] = check;
    return check;
}

QLayout* ExchangeDialog::CreateButtons(const QString& okText) {
    m_ok = new QPushButton(okText, this);
    m_ok->setObjectName("IDOK");
    m_ok->setDefault(true);
    auto* cancel = new QPushButton("取消", this);
    cancel->setObjectName("IDCANCEL");
    connect(m_ok, &QPushButton::clicked, this, &ExchangeDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ExchangeDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(m_ok);
    row->addWidget(cancel);
    return row;
}

QWidget* ExchangeDialog::Control(int id) const {
    if (auto it = m_edits.find(id); it != m_edits.end()) return it->second;
    if (auto it = m_checks.find(id); it != m_checks.end()) return it->second;
    if (auto it = m_radios.find(id); it != m_radios.end()) return it->second->button(0);
    // Any other control, such as a button, by its object name.
    return findChild<QWidget*>(QString::number(id));
}

trendfit::DialogControls ExchangeDialog::Controls() const {
    trendfit::DialogControls controls;
    for (const auto& [id, edit] : m_edits) controls.texts[id] = edit->text().toStdString();
    for (const auto& [id, group] : m_radios) controls.values[id] = group->checkedId();
    for (const auto& [id, check] : m_checks) controls.values[id] = check->isChecked() ? 1 : 0;
    return controls;
}

void ExchangeDialog::ShowControls(const trendfit::DialogControls& controls) {
    for (const auto& [id, edit] : m_edits) {
        if (auto it = controls.texts.find(id); it != controls.texts.end()) {
            edit->setText(QString::fromStdString(it->second));
        }
    }
    for (const auto& [id, group] : m_radios) {
        if (QAbstractButton* button = group->button(controls.Value(id))) button->setChecked(true);
    }
    for (const auto& [id, check] : m_checks) {
        if (auto it = controls.values.find(id); it != controls.values.end()) check->setChecked(it->second != 0);
    }
}

void ExchangeDialog::accept() {
    const trendfit::ExchangeResult result = m_exchange(Controls());
    if (result.ok) {
        QDialog::accept();
        return;
    }
    QMessageBox::warning(this, trendfit::AppTitle(), QString::fromStdString(result.message));
    if (QWidget* field = FocusTarget(result.failedControl)) {
        field->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    }
}

void ExchangeDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The window system activates the dialog later; name the first control now, so the
    // activation gives it the focus with its text selected.
    QWidget* first = focusWidget();
    for (QWidget* w = nextInFocusChain(); first == nullptr && w != this; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && w->isEnabled() && w->isVisibleTo(this) && (w->focusPolicy() & Qt::TabFocus)) first = w;
    }
    if (first == nullptr) return;
    first->setFocus(Qt::TabFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(first)) edit->selectAll();
}
