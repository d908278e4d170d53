#include "app/frmtestplay.h"

#include "app/testplay.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmTestPlay::frmTestPlay(TestPlay &testPlay, QWidget *parent) : QDialog(parent), m_testPlay(testPlay)
{
    setObjectName(QStringLiteral("frmTestPlay"));
    setWindowTitle(QStringLiteral("试玩设置"));
    setModal(true);

    auto *lblCommand = new QLabel(QStringLiteral("模拟器命令(&C)：%f 为卡带文件，%e 为整个可执行文件；含空格的路径加引号"), this);
    lblCommand->setObjectName(QStringLiteral("lblTestPlayCommand"));
    txtTestPlayCommand = new QLineEdit(m_testPlay.command(), this);
    txtTestPlayCommand->setObjectName(QStringLiteral("txtTestPlayCommand"));
    lblCommand->setBuddy(txtTestPlayCommand);

    const QStringList found = m_testPlay.foundEmulators();
    QStringList lines;
    for (const QString &name : found)
        lines.append(QStringLiteral("%1（%2）").arg(name, m_testPlay.findProgram(name)));
    lblTestPlayFound = new QLabel(this);
    lblTestPlayFound->setObjectName(QStringLiteral("lblTestPlayFound"));
    lblTestPlayFound->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (found.isEmpty()) {
        lblTestPlayFound->setText(QStringLiteral("没有找到 fceux、nestopia 或 mednafen。"));
        txtTestPlayCommand->setPlaceholderText(QStringLiteral("例如：fceux %f"));
    } else {
        lblTestPlayFound->setText(QStringLiteral("已找到：") + lines.join(QStringLiteral("、")));
        txtTestPlayCommand->setPlaceholderText(QStringLiteral("留空则使用 ") + m_testPlay.defaultCommand());
    }

    btnOK = new QPushButton(QStringLiteral("确定[&O]"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &frmTestPlay::accept);
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblCommand);
    layout->addWidget(txtTestPlayCommand);
    layout->addWidget(lblTestPlayFound);
    layout->addLayout(buttons);
    resize(520, sizeHint().height());
}

void frmTestPlay::accept()
{
    m_testPlay.setCommand(txtTestPlayCommand->text());
    QDialog::accept();
}
