#pragma once

// The four interfaces through which the document and the panes talk, and the process-wide
// registry of their implementers. Texts are UTF-8.
//
// Wiring: the document registers itself as g_pDataDoc when it is constructed; each pane
// stores its interface pointer in the registry when its window is created. Every caller
// tests the pointer and skips the call while it is null, so reports that arrive before a
// pane exists are simply dropped.

#include <string>

#include "app/core/CurveResult.h"

// Implemented by the document; the data tree pane calls it when the user picks a curve item.
class IDataDoc {
public:
    virtual ~IDataDoc() = default;
    // Makes curve nCurve current: the property grid shows it and the chart redraws with it.
    virtual void SelectCurve(int nCurve) = 0;
};

// Implemented by the output pane. Tab 0 is "信息", 1 "调试", 2 "结果".
class IOutputMessage {
public:
    virtual ~IOutputMessage() = default;
    // Appends a line to tab nTab (0, 1 or 2; other values are ignored). On tab 0 the new
    // line is selected so the list scrolls to it. The document always writes to tab 0.
    virtual void AddMessage(int nTab, const std::string& strText) = 0;
    // Empties tab nTab. The document never calls it.
    virtual void ClearMessages(int nTab) = 0;
};

// Implemented by the data tree pane.
class IDataTreeView {
public:
    virtual ~IDataTreeView() = default;
    // Removes every item and inserts one bold root item with the given text.
    virtual void ResetDataTree(const std::string& strRoot) = 0;
    // Adds an item under the root carrying the curve index, selects it and expands the root.
    // Selecting it later must call g_pDataDoc->SelectCurve(nCurve).
    virtual void AddCurveItem(const std::string& strName, int nCurve) = 0;
};

// Implemented by the properties pane.
class IPropetyChange {
public:
    virtual ~IPropetyChange() = default;
    // Sets the value of the first property with this exact name; an unknown name changes
    // nothing.
    virtual void SetPropertyValue(const std::string& strName, const std::string& strValue) = 0;
    // Shows the two counts in the group "数据数量" ("训练数据", "测试数据"), each as "%d"
    // (trendfit::FormatInt).
    virtual void SetDataCount(int nTrain, int nTest) = 0;
    // Rebuilds the group "Trendfit" from the curve; trendfit::CurvePropertyRows gives its
    // items, values and descriptions in order. The group "拟合评价" after it follows with
    // trendfit::QualityPropertyRows.
    virtual void ShowCurve(const CurveResult& curve) = 0;
    // Empties the group "Trendfit" when new data drops every curve: it shows the items it
    // had at start ("训练方差", "测试方差") without values, and "拟合评价" its four items
    // without values.
    virtual void ClearCurve() = 0;
};

// The registry: null until the implementer registers itself.
extern IDataDoc* g_pDataDoc;
extern IDataTreeView* g_pDataTreeView;
extern IOutputMessage* g_pOutputMessage;
extern IPropetyChange* g_pPropetyChange;
