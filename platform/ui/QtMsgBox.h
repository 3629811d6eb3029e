#pragma once

// Installs the message-box handler that shows QMessageBox windows over the active window.
void InstallQtMsgBox();
