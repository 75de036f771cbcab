// Qt is linked in statically on Windows: its platform plugin must be named
// here to be part of the program.
#include <QtPlugin>

Q_IMPORT_PLUGIN(QWindowsIntegrationPlugin)
