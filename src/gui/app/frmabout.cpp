#include "app/frmabout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于  苍岚战记外传 EMU + ROM 修改器"));
    setModal(true);

    lblTitle = new QLabel(QStringLiteral("苍岚战记外传 EMU + ROM 修改器"), this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    lblTitle->setFont(big);

    lblVersion = new QLabel(QStringLiteral("版本: %1.%2.%3")
                                .arg(VESKEDIT_VERSION_MAJOR)
                                .arg(VESKEDIT_VERSION_MINOR)
                                .arg(VESKEDIT_VERSION_PATCH),
                            this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    txtInfo = new QPlainTextEdit(this);
    txtInfo->setObjectName(QStringLiteral("txtInfo"));
    txtInfo->setReadOnly(true);
    txtInfo->setPlainText(QStringLiteral(
        "本程序用于修改《苍岚战记外传》EMU + ROM 版的游戏文件（712,704 字节）。\n"
        "可以编辑任意字节、人物、职业、武器、魔法、盾牌、职业转换、等级系数、地形效果以及战场部队。\n"
        "修改结果可以保存为完整的可执行文件，或保存为只记录改动的文本文件。\n"
        "修改前请备份原始文件。\n"
        "本程序是自由软件，依照 GNU 通用公共许可证第 3 版或更新版本（GPL-3.0-or-later）发布。"));

    btnOK = new QPushButton(QStringLiteral("确定[&O]"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(lblVersion);
    layout->addWidget(txtInfo);
    layout->addLayout(buttons);
    resize(460, 300);
}
