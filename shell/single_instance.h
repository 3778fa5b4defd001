#pragma once
// One running program per user: a local socket named after the program.
// A second start asks the first to come to the front and ends.
#include <QLocalServer>
#include <functional>
#include <string>

class CSingleInstance {
public:
    explicit CSingleInstance(const std::string& name);
    // True when another instance runs (and has been asked to come forward).
    bool OtherIsRunning();
    // Starts listening; raise runs whenever a later start asks.
    void Listen(std::function<void()> raise);

private:
    QString name_;
    QLocalServer server_;
};
