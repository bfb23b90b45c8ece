// The hand-over between two starts of the program: the running instance listens on a
// local socket in the runtime folder, and a later start passes it the video it was given.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <functional>
#include <string>

// Whether Video may be handed over: a path holds no NUL (the file opened would be the part
// before it, while the title and the thumbnails' folder took the part after) and no other
// control character.
bool HandOverAcceptable(const QString& Video);

// The running instance's end of the hand-over: a local socket server at
// HandOverSocketPath(Name). A later start connects, writes one line (the full path of a
// video, or nothing to only raise the window), waits for the answer and ends; each line
// HandOverAcceptable takes arrives here as OnHandOver on the main thread, after the socket's
// own handler has returned (so that OnHandOver may wait on a person, in a message box, while
// the connection goes away). A line longer than any path, or a client silent for a second,
// is dropped; a line HandOverAcceptable refuses is answered as refused.
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

enum class THandOver {
    Taken,
    // The running instance will not open it (see HandOverAcceptable).
    Refused,
    // No instance listens, or the line was not written and answered within the time limit.
    Unanswered,
};

// A later start's end: passes Video (a full path, or empty) to the running instance.
THandOver HandOverToRunningInstance(const std::string& Name, const QString& Video, int TimeoutMs = 3000);
