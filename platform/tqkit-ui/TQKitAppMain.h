#pragma once

#include "platform/tqkit-ui/TQKitAppDelegate.h"

#include <QStringList>

#include <functional>
#include <memory>

class QApplication;
class QDir;
class QWidget;

// Builds what the application's main interface holds: the main window, its controller and the
// application delegate, which owns them. Called once, on the main thread, after QApplication exists.
using TQKitMainInterfaceLoader = std::function<std::unique_ptr<TQKitAppDelegate>()>;
// Makes the application object from the arguments Qt may see; `argc` must outlive it.
using TQKitApplicationMaker = std::function<std::unique_ptr<QApplication>(int& argc, char** argv)>;

// Runs the application for the rest of the process and returns its exit code. When Sonvale already
// runs for this user, the arguments go to that instance and this process ends. Otherwise the
// application object is made, the main interface loaded, its window shown, the arguments delivered as applicationOpenFiles before the
// launch finishes, the application parameters loaded once it has, and the event loop runs.
int TQKitAppMain(int argc, char** argv, const char* productCode, const char* storeAppId,
                 const char* productPageUrl, const char* productPageUrlAgain, const char* supportPageUrl,
                 const char* versionId, const TQKitApplicationMaker& makeApplication,
                 const TQKitMainInterfaceLoader& loadMainInterface);

// The files, folders and URLs of command-line `arguments` as open requests: relative paths made
// absolute against `workingDir`, file URLs turned into paths, other URLs kept, empty ones dropped.
// Names that look like options are names; the first "--" is dropped.
QStringList TQKitOpenRequestFromArguments(const QStringList& arguments, const QDir& workingDir);

// Asks the delegate whether to quit and quits when it answers "terminate now" (Quit command).
void TQKitAppRequestTerminate();

// The last window has closed. With no Dock or menu bar to come back from, that quits the
// application, through the delegate's quit decision unless a quit is already under way (so running
// conversions are asked about, over the main window brought back). True: quit now.
bool TQKitAppLastWindowClosed(TQKitAppDelegate& delegate);

// Brings `window` to the front: shown, restored from minimized, raised and activated.
void TQKitMainWindowShow(QWidget* window);
