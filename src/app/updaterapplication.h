#pragma once

#include <QApplication>
#include <QString>
#include <functional>

// The application object. An error that escapes an event handler is shown in a message box
// captioned with the application's title, and the program goes on. The window catches its
// handlers' errors itself; notify() is the net for anything else, so no exception crosses Qt's
// event loop.
class UpdaterApplication : public QApplication {
public:
    static constexpr const char* Title = "TARVIK ZELMARK FLASH UPDATER";

    UpdaterApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // How an escaped error reaches the user; tests replace the message box.
    static void setErrorReporter(std::function<void(const QString&)> reporter);
    static void reportError(const QString& message);

    // Shows the window in front of the others, also when it was minimised.
    static void bringToFront(QWidget& window);
};
