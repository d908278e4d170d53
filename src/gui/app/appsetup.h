#pragma once

class QCoreApplication;

// The program's name, organisation and version (which QStandardPaths and the about box use), its
// window icon, and Qt's own texts (file dialogs, message-box buttons) in Chinese.
void setUpApplication(QCoreApplication &app);

// Loads Qt's Chinese translations; false when they are not installed.
bool installQtTranslations(QCoreApplication &app);
