#pragma once
// One running program per user: a local socket named after the program.
// A second start hands its documents to the first, asks it to come to the
// front, and ends.
#include <QLocalServer>
#include <functional>
#include <string>
#include <vector>

class CSingleInstance {
public:
    using Handoff = std::function<void(const std::vector<std::string>& documents)>;

    explicit CSingleInstance(const std::string& name);
    // True when another instance runs; it has then been given the documents
    // (absolute paths) and asked to come forward.
    bool OtherIsRunning(const std::vector<std::string>& documents = {});
    // Starts listening; handoff runs with the documents of each later start.
    void Listen(Handoff handoff);

private:
    QString name_;
    QLocalServer server_;
};
