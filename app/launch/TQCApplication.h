#pragma once

#include <QApplication>

namespace sonvale {
class Exception;
}

// Sonvale's application object. Besides Qt's event delivery it has the platform application
// object's exception path: reportException() reports an exception that nobody handled. The crash
// service may take both over (TQTMApplicationForwarder); each asks the forwarder whether it has.
// Main thread only.
class TQCApplication final : public QApplication {
public:
    TQCApplication(int& argc, char** argv);

    // Delivers every event of the application.
    bool notify(QObject* receiver, QEvent* event) override;
    // Logs the exception; the application goes on.
    void reportException(const sonvale::Exception& exception);

private:
    static void logException(const sonvale::Exception& exception);
};
