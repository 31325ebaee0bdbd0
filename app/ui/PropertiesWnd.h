#pragma once

// The properties pane "属性": a two-column grid (name, value) of groups and items with a
// description area, showing the data source, the counts and the current curve with its
// fit quality. Its context menu (and Ctrl+C) copies the chosen item's value.

#include <QDockWidget>

#include "app/core/AppInterfaces.h"

class QComboBox;
class QMenu;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class CPropertiesWnd : public QDockWidget, public IPropetyChange {
    Q_OBJECT
public:
    // Builds the initial grid and registers as g_pPropetyChange.
    explicit CPropertiesWnd(QWidget* parent = nullptr);
    ~CPropertiesWnd() override;

    void SetPropertyValue(const std::string& strName, const std::string& strValue) override;
    void SetDataCount(int nTrain, int nTest) override;
    void ShowCurve(const CurveResult& curve) override;
    void ClearCurve() override;

    // The grid's context menu: "复制", enabled while the chosen item shows a value.
    QMenu* CreateContextMenu();
    // Puts the chosen item's value, as shown, on the clipboard.
    void CopyValue();

    QTreeWidget* Grid() const { return m_grid; }
    // The value shown for the first property with this name under the group, or a null
    // string when there is none.
    QString Value(const QString& group, const QString& name) const;
    QString Description() const;

private:
    QTreeWidgetItem* AddGroup(const QString& name, bool valueList);
    // The group "Trendfit" as the grid starts with it, collapsed, and "拟合评价" after it.
    void AddEmptyCurveGroup();
    // Rebuilds "拟合评价" at the end of the grid: the curve's R² and RMSE, expanded, or
    // without values and collapsed for no curve.
    void ShowQuality(const CurveResult* curve);
    QString ChosenValue() const;
    QTreeWidgetItem* AddItem(QTreeWidgetItem* group, const QString& name, const QString& value,
                             const QString& description, bool editable);
    QTreeWidgetItem* FindGroup(const QString& name) const;
    void SetValue(QTreeWidgetItem* item, const QString& value);
    void ShowDescription(QTreeWidgetItem* item);

    QComboBox* m_combo;
    QTreeWidget* m_grid;
    QLabel* m_description;
};
