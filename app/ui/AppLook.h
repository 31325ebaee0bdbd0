#pragma once

// The application looks 205 to 219: each id stands for a Qt style plus a palette, shown
// through the "应用程序外观(&A)" menu and remembered as "ApplicationLook".

#include <QString>

#include <vector>

class QApplication;

namespace trendfit {

enum : unsigned {
    ID_VIEW_APPLOOK_WIN_2000 = 205,
    ID_VIEW_APPLOOK_OFF_XP = 206,
    ID_VIEW_APPLOOK_WIN_XP = 207,
    ID_VIEW_APPLOOK_OFF_2003 = 208,
    ID_VIEW_APPLOOK_VS_2005 = 209,
    ID_VIEW_APPLOOK_VS_2008 = 210,
    ID_VIEW_APPLOOK_OFF_2007_BLUE = 215,
    ID_VIEW_APPLOOK_OFF_2007_BLACK = 216,
    ID_VIEW_APPLOOK_OFF_2007_SILVER = 217,
    ID_VIEW_APPLOOK_OFF_2007_AQUA = 218,
    ID_VIEW_APPLOOK_WINDOWS_7 = 219,
    kDefaultAppLook = ID_VIEW_APPLOOK_VS_2008,
};

// One entry of the look menu; `office2007` entries sit in the "Office 2007(&7)" submenu.
struct AppLookItem {
    unsigned id;
    QString text;
    bool office2007;
};

// The menu entries in menu order (219 and 211 to 214 have none).
const std::vector<AppLookItem>& AppLookMenuItems();

// Installs the style and palette of look `id`. Ids without a look of their own (211 to
// 214, anything outside the table) keep the Office 2007 family in its current colour.
void ApplyAppLook(QApplication& app, unsigned id);

// The name of the Qt style and the window colour the look installs, for tests.
QString AppLookStyleName(unsigned id);
QString AppLookWindowColor(unsigned id);

}  // namespace trendfit
