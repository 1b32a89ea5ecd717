#pragma once

class LogoutSequence;

// The session manager as the logout sequence talks to it, in the terms of the X11
// session protocol; tests replace it with a fake.
class LogoutSession {
public:
    virtual ~LogoutSession() = default;

    // Asks to talk to the user; false when the manager cannot be asked. A granted
    // request comes back as LogoutSequence::interact.
    virtual bool requestInteraction() = 0;
    virtual void interactDone(bool cancelShutdown) = 0;
    virtual void saveYourselfDone() = 0;

    // Where the manager's messages go.
    LogoutSequence* sequence = nullptr;
};
