#include "app/frmstart.h"
#include "app/qtdialogs.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ByteImages images;
    QtDialogs dialogs;
    auto *start = new frmStart(images, dialogs, QCoreApplication::applicationDirPath());
    start->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(start, &frmStart::programEnd, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    start->show();
    return app.exec();
}
