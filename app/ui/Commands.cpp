#include "app/ui/Commands.h"

namespace trendfit {

QString CommandPrompt(int id) {
    switch (id) {
    case ID_SIMULATION_DATA: return "创建模拟数据\n模拟数据";
    case ID_FILE_OPEN: return "打开现有文档\n打开";
    case ID_FILE_PRINT: return "打印活动文档\n打印";
    case ID_FILE_PRINT_PREVIEW: return "显示整页\n打印预览";
    case ID_EXPORT_IMAGE: return "将图表保存为 PNG 或 SVG 图像\n导出图像";
    case ID_COPY_IMAGE: return "将图表复制到剪贴板\n复制图像";
    case ID_EXPORT_CURVE: return "将当前曲线的阶数、权重、方差和系数保存为 CSV 文件\n导出曲线";
    case ID_VIEW_BAND: return "在当前普通或岭回归曲线周围显示 95% 置信带\n置信带";
    case ID_VIEW_ALL_CURVES: return "同时显示当前数据的全部曲线，当前曲线最粗\n显示全部曲线";
    case ID_DEGREE_SWEEP: return "对一段阶数逐一拟合，比较训练误差和测试误差\n阶数扫描";
    case ID_VIEW_SWEEP: return "显示阶数扫描图：训练误差和测试误差随阶数的变化\n阶数扫描图";
    case ID_STABLE_FIT: return "用 QR 分解的稳定算法计算普通拟合和岭回归\n稳定算法";
    case ID_FILE_PRINT_SETUP: return "更改打印机选项和打印选项\n打印设置";
    case ID_APP_ABOUT: return "显示程序信息、版本号和版权信息\n关于";
    case ID_APP_EXIT: return "退出应用程序；提示保存文档\n退出";
    case ID_VIEW_TOOLBAR: return "显示或隐藏工具栏\n切换工具栏";
    case ID_VIEW_STATUS_BAR: return "显示或隐藏状态栏\n切换状态栏";
    default: return {};
    }
}

QString StatusText(int id) { return CommandPrompt(id).section('\n', 0, 0); }

QString ToolTipText(int id) { return CommandPrompt(id).section('\n', 1, 1); }

}  // namespace trendfit
