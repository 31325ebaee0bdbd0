#pragma once

// The data tree pane "数据视图": a bold root for the data set and one item per fitted
// curve. Choosing a curve item makes that curve current in the document.

#include <QDockWidget>

#include "app/core/AppInterfaces.h"

class QTreeWidget;
class QTreeWidgetItem;
class QToolButton;

class CClassView : public QDockWidget, public IDataTreeView {
    Q_OBJECT
public:
    // Sort commands of the pane's toolbar: recorded, the tree is not re-sorted.
    enum {
        ID_SORTING_GROUPBYTYPE = 145,
        ID_SORTING_SORTALPHABETIC = 146,
        ID_SORTING_SORTBYTYPE = 147,
        ID_SORTING_SORTBYACCESS = 148,
    };

    // Creates the toolbar and the empty tree and registers as g_pDataTreeView.
    explicit CClassView(QWidget* parent = nullptr);
    ~CClassView() override;

    void ResetDataTree(const std::string& strRoot) override;
    void AddCurveItem(const std::string& strName, int nCurve) override;

    QTreeWidget* Tree() const { return m_tree; }
    QTreeWidgetItem* Root() const { return m_root; }
    int SortCommand() const { return m_nCurrSort; }
    void OnSort(int id);

private:
    void OnSelectionChanged(QTreeWidgetItem* item);

    QTreeWidget* m_tree;
    QToolButton* m_sortButton;
    QTreeWidgetItem* m_root = nullptr;
    int m_nCurrSort = ID_SORTING_GROUPBYTYPE;
};
