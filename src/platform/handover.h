// The hand-over between two starts of the program: the running instance listens on a
// local socket in the runtime folder, and a later start passes it the video it was given.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

// The running instance's end of the hand-over: a local socket server at
// HandOverSocketPath(Name). A later start connects, writes one line (the full path of a
// video, or nothing to only raise the window), waits for the answer and ends; each line
// arrives here as OnHandOver on the main thread. A line longer than any path, or a client
// silent for a second, is dropped.
class THandOverServer : public QObject {
public:
    explicit THandOverServer(const std::string& Name);
    // False when the socket could not be made (no private runtime folder, say); the program
    // then simply runs without it.
    bool Listen();
    std::function<void(const QString& Video)> OnHandOver;

private:
    void Accept();
    std::string FName;
    QLocalServer FServer;
};

// A later start's end: passes Video (a full path, or empty) to the running instance.
// False when no instance listens, or the line was not written and answered within the time
// limit.
bool HandOverToRunningInstance(const std::string& Name, const QString& Video, int TimeoutMs = 3000);
