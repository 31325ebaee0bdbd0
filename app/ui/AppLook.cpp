#include "app/ui/AppLook.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace trendfit {
namespace {

struct LookColors {
    const char* style;
    const char* window;
    const char* base;
    const char* button;
    const char* text;
    const char* highlight;
};

// The Office 2007 family keeps its last colour for the ids that name no colour.
unsigned g_office2007Look = ID_VIEW_APPLOOK_OFF_2007_BLUE;

LookColors ColorsOf(unsigned id) {
    switch (id) {
    case ID_VIEW_APPLOOK_WIN_2000: return {"Windows", "#d4d0c8", "#ffffff", "#d4d0c8", "#000000", "#0a246a"};
    case ID_VIEW_APPLOOK_OFF_XP: return {"Fusion", "#f7f6f3", "#ffffff", "#ebe9e4", "#000000", "#b6bdd2"};
    case ID_VIEW_APPLOOK_WIN_XP: return {"Windows", "#ece9d8", "#ffffff", "#f4f3ee", "#000000", "#316ac5"};
    case ID_VIEW_APPLOOK_OFF_2003: return {"Fusion", "#c3daf9", "#ffffff", "#9ebef5", "#000000", "#ffc068"};
    case ID_VIEW_APPLOOK_VS_2005: return {"Fusion", "#eeede5", "#ffffff", "#e1dfd2", "#000000", "#c1d2ee"};
    case ID_VIEW_APPLOOK_VS_2008: return {"Fusion", "#e9ecee", "#ffffff", "#dfe4ea", "#000000", "#3399ff"};
    case ID_VIEW_APPLOOK_OFF_2007_BLUE: return {"Fusion", "#c4d8f0", "#ffffff", "#dbe8f8", "#15428b", "#ffd36b"};
    case ID_VIEW_APPLOOK_OFF_2007_BLACK: return {"Fusion", "#3b3b3b", "#2b2b2b", "#535353", "#f0f0f0", "#f0a830"};
    case ID_VIEW_APPLOOK_OFF_2007_SILVER: return {"Fusion", "#dfe3e8", "#ffffff", "#eceff3", "#3b3b3b", "#ffd36b"};
    case ID_VIEW_APPLOOK_OFF_2007_AQUA: return {"Fusion", "#cbe3e1", "#ffffff", "#dcefee", "#1f4e4a", "#ffd36b"};
    case ID_VIEW_APPLOOK_WINDOWS_7: return {"Fusion", "#f0f0f0", "#ffffff", "#e5e5e5", "#000000", "#cce8ff"};
    default: return ColorsOf(g_office2007Look);
    }
}

bool IsOffice2007Colour(unsigned id) {
    return id >= ID_VIEW_APPLOOK_OFF_2007_BLUE && id <= ID_VIEW_APPLOOK_OFF_2007_AQUA;
}

}  // namespace

const std::vector<AppLookItem>& AppLookMenuItems() {
    static const std::vector<AppLookItem> items = {
        {ID_VIEW_APPLOOK_WIN_2000, "Windows 2000(&2)", false},
        {ID_VIEW_APPLOOK_OFF_XP, "Office XP(&X)", false},
        {ID_VIEW_APPLOOK_WIN_XP, "Windows XP(&W)", false},
        {ID_VIEW_APPLOOK_OFF_2003, "Office 2003(&3)", false},
        {ID_VIEW_APPLOOK_VS_2005, "Visual Studio 2005(&5)", false},
        {ID_VIEW_APPLOOK_VS_2008, "Visual Studio 2008(&8)", false},
        {ID_VIEW_APPLOOK_OFF_2007_BLUE, "蓝色样式(&B)", true},
        {ID_VIEW_APPLOOK_OFF_2007_BLACK, "黑色样式(&L)", true},
        {ID_VIEW_APPLOOK_OFF_2007_SILVER, "银色样式(&S)", true},
        {ID_VIEW_APPLOOK_OFF_2007_AQUA, "水绿色样式(&A)", true},
    };
    return items;
}

QString AppLookStyleName(unsigned id) { return ColorsOf(id).style; }
QString AppLookWindowColor(unsigned id) { return ColorsOf(id).window; }

void ApplyAppLook(QApplication& app, unsigned id) {
    if (IsOffice2007Colour(id)) g_office2007Look = id;
    const LookColors c = ColorsOf(id);
    if (app.style()->name().compare(c.style, Qt::CaseInsensitive) != 0) {
        app.setStyle(QStyleFactory::create(c.style));
    }
    QPalette palette(QColor(c.button), QColor(c.window));
    palette.setColor(QPalette::Base, QColor(c.base));
    palette.setColor(QPalette::AlternateBase, QColor(c.window));
    const bool lightHighlight = QColor(c.highlight).lightness() > 160;
    // Text of disabled controls and commands is half-way to the window colour, so that a
    // disabled menu item or field looks disabled in every look.
    const QColor text(c.text);
    const QColor window(c.window);
    const QColor greyed((text.red() + window.red()) / 2, (text.green() + window.green()) / 2,
                        (text.blue() + window.blue()) / 2);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor shown = group == QPalette::Disabled ? greyed : text;
        palette.setColor(group, QPalette::WindowText, shown);
        palette.setColor(group, QPalette::Text, shown);
        palette.setColor(group, QPalette::ButtonText, shown);
        palette.setColor(group, QPalette::Highlight, QColor(c.highlight));
        palette.setColor(group, QPalette::HighlightedText, QColor(lightHighlight ? "#000000" : "#ffffff"));
    }
    palette.setColor(QPalette::Disabled, QPalette::Base, window);
    app.setPalette(palette);
}

}  // namespace trendfit
