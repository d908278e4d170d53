#include "app/appsetup.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

void setUpApplication(QCoreApplication &app)
{
    QCoreApplication::setApplicationName(QStringLiteral("veskedit"));
    QCoreApplication::setOrganizationName(QStringLiteral("VeskEdit"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(VESKEDIT_VERSION_MAJOR)
                                                .arg(VESKEDIT_VERSION_MINOR)
                                                .arg(VESKEDIT_VERSION_PATCH));
    if (qobject_cast<QGuiApplication *>(&app)) { // not for --help and --version
        QGuiApplication::setDesktopFileName(QStringLiteral("veskedit"));
        // The icon is drawn from its SVG once the first window is on the screen.
        QTimer::singleShot(0, &app, [] { QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/veskedit.svg"))); });
    }
    installQtTranslations(app);
}

bool installQtTranslations(QCoreApplication &app)
{
    auto *qt = new QTranslator(&app);
    if (!qt->load(QLocale(QStringLiteral("zh_CN")), QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    return QCoreApplication::installTranslator(qt);
}
