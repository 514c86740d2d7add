#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>

// One window per user and program: a second start asks the first to come to the front and then
// exits, so two windows never run the wizard against one device.
class SingleInstance {
public:
    // key names the program (the updater and the demo are separate programs).
    explicit SingleInstance(const QString& key);

    // True when another instance runs already; it has been asked to come to the front.
    bool alreadyRunning() const { return alreadyRunning_; }
    // Called in the running instance whenever a second start asks it to come to the front.
    void onActivationRequest(std::function<void()> activate);

private:
    QString name_;
    bool alreadyRunning_ = false;
    QLocalServer server_;
    std::function<void()> activate_;
};
