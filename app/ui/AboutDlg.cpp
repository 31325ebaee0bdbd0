#include "app/ui/AboutDlg.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QUrl>
#include <QVBoxLayout>

#ifndef TRENDFIT_HOMEPAGE
#define TRENDFIT_HOMEPAGE "https://example.org/trendfit"
#endif

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("关于 Trendfit");
    setModal(true);

    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().isNull()
                        ? style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32)
                        : windowIcon().pixmap(32, 32));

    auto* lines = new QVBoxLayout;
    lines->addWidget(new QLabel("Trendfit，版本 1.0", this));
    lines->addWidget(new QLabel("多项式趋势拟合：最小二乘、岭回归、Lasso 与弹性网络", this));
    lines->addWidget(new QLabel("计算由 Vecmat 线性代数库完成", this));
    lines->addWidget(new QLabel("Copyright (C) 2026", this));

    m_visit = new QPushButton("访问官网", this);
    m_ok = new QPushButton("确定", this);
    m_visit->setObjectName("1014");
    m_ok->setObjectName("IDOK");
    m_visit->setAutoDefault(false);
    m_ok->setDefault(true);
    connect(m_visit, &QPushButton::clicked, this,
            [] { QDesktopServices::openUrl(QUrl(HomePage())); });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(lines, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_visit);
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
}

QString CAboutDlg::HomePage() {
    return QSettings().value("HomePage", TRENDFIT_HOMEPAGE).toString();
}
